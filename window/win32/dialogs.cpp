#include "window/win32/dialogs.h"

#include "window/control_table.h"
#include "window/win32/file_dialog.h"
#include "window/win32/save_question.h"
#include "window/win32/text.h"

namespace tavorin::win32 {

void Dialogs::report(HWND owner, std::string_view message) const {
    if (reporter) {
        reporter(std::string(message));
        return;
    }
    MessageBoxW(owner, widen(message).c_str(), widen(kMessageTitle).c_str(),
                MB_OK | MB_ICONWARNING);
}

std::string Dialogs::path(HWND owner, const FileMenuEntry& entry, const std::string& offer) const {
    const ChosenPath chosen = choosePath(owner, entry, offer);
    if (!chosen.error.empty()) report(owner, chosen.error);
    return chosen.utf8;
}

SaveAnswer Dialogs::ask(HWND owner, std::string_view question) const {
    if (askToSave) return askToSave(std::string(question));
    std::string error;
    const SaveAnswer answer = win32::askToSave(owner, question, error);
    if (!error.empty()) report(owner, error);
    return answer;
}

bool Dialogs::print(HWND owner, std::string_view html) const {
    const PrintFile file = writePrintFile(html);
    std::string error = file.error;
    if (error.empty()) error = browser ? browser(file.path) : openInBrowser(owner, file.path);
    if (error.empty()) return true;
    report(owner, error);
    return false;
}

}  // namespace tavorin::win32
