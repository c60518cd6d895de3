// What a click on a control of the table runs, the same in every window.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/fault.h"
#include "engine/fields.h"
#include "window/control_table.h"

namespace tavorin {

// Runs `command` on the window's field store: the calculate command for "计  算", the
// version command for "版本", nothing for Command::None. Returns the fault that stopped
// it; the window then shows the fault's message and stays as the command left it.
std::optional<Fault> runCommand(FieldStore& store, Command command);

// The field store of a window, which can also read a label's caption back.
class WindowStore : public FieldStore {
  public:
    virtual bool readCaption(std::string_view name, std::string& caption) = 0;
};

// Called before every operation of a handler on the store, with the control's name: a test
// throws from it to drive a handler into an exception.
using StoreTrap = std::function<void(std::string_view name)>;

// The last resort of every command and menu handler of a window: runs `handler` on a store
// that remembers the first text of every box and caption it changes. Returns empty when the
// handler returns; when anything escapes it, every box and caption gets its text back and
// the message to show is returned, e.g.
//   "程序内部出错（bad thing），这次操作没有完成；窗口中的内容保持原样。"
// Never throws.
std::string runGuarded(WindowStore& store, const std::function<void(FieldStore&)>& handler,
                       const StoreTrap& trap = {});

}  // namespace tavorin
