// What the commands over the field store share: the plain run, and the run that keeps a
// record for the sheet. Each turns the CalcFault that stopped it into the Fault it returns.
#pragma once

#include <optional>
#include <string_view>

#include "engine/calc_context.h"
#include "engine/fault.h"
#include "engine/field_io.h"
#include "engine/record.h"
#include "engine/trace.h"

namespace tavorin {

// Runs `run(cx)` with the plain context over `store`.
template <class Run>
std::optional<Fault> runPlainCommand(FieldStore& store, std::string_view separator, Run&& run) {
    FieldIo io(store, separator);
    PlainCalc cx(io);
    try {
        run(cx);
        return std::nullopt;
    } catch (const CalcFault& fault) {
        return describeFault(fault);
    }
}

// Runs `run(cx)` with the recording context into `record` (cleared first). Text1 is read
// in addition, for the block's name (a failure there only leaves the name empty). A fault
// that no step or input claimed is placed at its box.
template <class Run>
std::optional<Fault> runRecordedCommand(FieldStore& store, CalcRecord& record,
                                        std::string_view separator, Run&& run) {
    record = CalcRecord{};
    if (!store.readText("Text1", record.blockName)) record.blockName.clear();
    FieldIo io(store, separator);
    TraceCalc cx(io, record);
    try {
        run(cx);
        return std::nullopt;
    } catch (const CalcFault& fault) {
        if (record.faultAt.empty()) record.faultAt = fault.box;
        record.fault = describeFault(fault);
        return record.fault;
    }
}

}  // namespace tavorin
