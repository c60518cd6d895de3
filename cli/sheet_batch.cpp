#include "cli/sheet_batch.h"

#include <istream>
#include <ostream>
#include <string>

#include "engine/check.h"
#include "engine/record.h"
#include "sheet/case_file.h"
#include "sheet/sheet.h"

namespace tavorin {

int runSheetBatch(std::istream& in, std::ostream& out) {
    int status = 0;
    out << sheetBegin("计算书");
    std::string line;
    CalcRecord record;
    CalcRecord checkRecord;
    for (long number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string heading = "第 " + std::to_string(number) + " 行";
        const bool next = number > 1;
        // The one reader of the batch tool: the same verdict and message as a batch line.
        const CaseParse parsed = parseCase(line, CaseScope::InputsAndOutputs,
                                           number == 1 ? CasePlace::FirstLine : CasePlace::Line);
        if (!parsed.error.empty()) {
            out << sheetRejected(heading, parsed.error, next);
            status = 1;
            continue;
        }
        MemoryStore store;
        applyCase(store, parsed.texts);
        const bool calculated = !calculate(store, record);
        // A line that names a check box gets the check's section too, when the command
        // finished without a fault.
        bool check = false;
        for (const auto& member : parsed.texts) check = check || findCheckField(member.first);
        if (check && calculated) {
            checkStability(store, checkRecord);
            out << sheetSection(record, heading, next, &checkRecord);
        } else {
            out << sheetSection(record, heading, next);
        }
    }
    out << sheetEnd();
    return status;
}

}  // namespace tavorin
