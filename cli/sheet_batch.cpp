#include "cli/sheet_batch.h"

#include <exception>
#include <istream>
#include <new>
#include <ostream>
#include <string>

#include "cli/json_line.h"
#include "engine/record.h"
#include "sheet/case_file.h"
#include "sheet/sheet.h"

namespace tavorin {
namespace {

// A line that cannot be read at all (a number beyond the double range, no memory left)
// gets its section that says so; the run goes on.
CaseParse parseLine(const std::string& line) {
    try {
        return parseCase(line, CaseScope::InputsAndOutputs);
    } catch (const std::bad_alloc&) {
        return {{}, "内存不足，无法读取这一行。"};
    } catch (const std::exception& e) {
        return {{}, "无法读取这一行（" + excerpt(e.what(), 80) + "）。"};
    }
}

}  // namespace

int runSheetBatch(std::istream& in, std::ostream& out) {
    int status = 0;
    out << sheetBegin("计算书");
    std::string line;
    CalcRecord record;
    for (long number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string heading = "第 " + std::to_string(number) + " 行";
        const bool next = number > 1;
        const CaseParse parsed = line.find_first_not_of(" \t") == std::string::npos
                                     ? CaseParse{{}, "空行；应为一个 JSON 对象。"}
                                     : parseLine(line);
        if (!parsed.error.empty()) {
            out << sheetRejected(heading, parsed.error, next);
            status = 1;
            continue;
        }
        MemoryStore store;
        applyCase(store, parsed.texts);
        calculate(store, record);
        out << sheetSection(record, heading, next);
    }
    out << sheetEnd();
    return status;
}

}  // namespace tavorin
