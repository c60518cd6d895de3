// What a click on a control of the table runs, the same in every window.
#pragma once

#include <optional>

#include "engine/fault.h"
#include "engine/fields.h"
#include "window/control_table.h"

namespace tavorin {

// Runs `command` on the window's field store: the calculate command for "计  算", the
// version command for "版本", nothing for Command::None. Returns the fault that stopped
// it; the window then shows the fault's message and stays as the command left it.
std::optional<Fault> runCommand(FieldStore& store, Command command);

}  // namespace tavorin
