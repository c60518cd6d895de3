#include "window/command.h"

#include "engine/calculate.h"
#include "window/version.h"

namespace tavorin {

std::optional<Fault> runCommand(FieldStore& store, Command command) {
    switch (command) {
        case Command::Calculate:
            // The windows write "." as the decimal separator, as the batch tool does.
            return calculate(store, ".");
        case Command::Version:
            return showVersion(store);
        case Command::None:
            break;
    }
    return std::nullopt;
}

}  // namespace tavorin
