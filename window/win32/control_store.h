// The field store of the Win32 window: the engine's three operations on the child windows
// of Form1, addressed by control name.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>

#include "engine/fields.h"
#include "window/command.h"
#include "window/control_table.h"

namespace tavorin::win32 {

class ControlStore final : public WindowStore {
  public:
    // Makes `control` reachable under `name`. Texts work on text boxes and choice lists,
    // captions on labels.
    void add(std::string_view name, ControlKind kind, HWND control);

    // Each fails for an unknown name, a control of the wrong kind or one that is gone.
    bool readText(std::string_view name, std::string& text) override;
    bool replaceText(std::string_view name, std::string_view text) override;
    bool setCaption(std::string_view name, std::string_view caption) override;
    bool readCaption(std::string_view name, std::string& caption) override;

  private:
    struct Entry {
        ControlKind kind;
        HWND window;
    };
    HWND find(std::string_view name, bool caption) const;

    std::map<std::string, Entry, std::less<>> m_controls;
};

// The whole text of a window, in UTF-8.
std::string windowText(HWND window);

}  // namespace tavorin::win32
