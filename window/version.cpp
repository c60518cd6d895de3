#include "window/version.h"

#include <string>

namespace tavorin {

std::optional<Fault> showVersion(FieldStore& store) {
    for (const VersionLine& line : kVersionLines) {
        if (!store.setCaption(line.label, line.caption)) {
            return describeFault(CalcFault{FaultKind::FieldAccess, std::string(line.label), true});
        }
    }
    return std::nullopt;
}

}  // namespace tavorin
