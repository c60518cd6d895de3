#include "window/win32/save_question.h"

#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "window/control_table.h"
#include "window/win32/text.h"

namespace tavorin::win32 {

int buttonIdOf(SaveAnswer answer) {
    switch (answer) {
        case SaveAnswer::Save:
            return IDYES;
        case SaveAnswer::Discard:
            return IDNO;
        case SaveAnswer::Cancel:
            break;
    }
    return IDCANCEL;
}

SaveAnswer askToSave(HWND owner, std::string_view question, std::string& error) {
    std::vector<std::wstring> captions;
    for (const SaveButton& b : kSaveButtons) captions.push_back(widen(b.caption));
    std::vector<TASKDIALOG_BUTTON> buttons;
    for (size_t i = 0; i < std::size(kSaveButtons); ++i) {
        buttons.push_back({buttonIdOf(kSaveButtons[i].answer), captions[i].c_str()});
    }
    const std::wstring title = widen(kMessageTitle);
    const std::wstring content = widen(question);
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    // Esc and the close button answer IDCANCEL, the identifier of 取消.
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.pszWindowTitle = title.c_str();
    config.pszMainIcon = TD_WARNING_ICON;
    // The content, in the message font as in a message box: Wine draws a main instruction
    // in a bold face without Chinese characters.
    config.pszContent = content.c_str();
    config.cButtons = static_cast<UINT>(buttons.size());
    config.pButtons = buttons.data();
    config.nDefaultButton = buttonIdOf(SaveAnswer::Save);
    int pressed = 0;
    if (const HRESULT result = TaskDialogIndirect(&config, &pressed, nullptr, nullptr);
        FAILED(result)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
        error = "无法显示对话框（错误 " + std::string(code) + "），窗口中的内容保持原样。";
        return SaveAnswer::Cancel;
    }
    for (const SaveButton& b : kSaveButtons) {
        if (buttonIdOf(b.answer) == pressed) return b.answer;
    }
    return SaveAnswer::Cancel;
}

}  // namespace tavorin::win32
