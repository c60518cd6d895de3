// The question about unsaved changes (window/unsaved_changes.h) as a task dialog of the
// system, for any window of the program: the question as its text, the buttons 保存, 不保存
// and 取消 as the dialog's own buttons (a message box would say 是 and 否).
// The task dialog is in comctl32 version 6, on every system since Windows Vista; the
// program's manifest asks for that version.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "window/unsaved_changes.h"

namespace tavorin::win32 {

// The identifier of each answer's button (IDYES, IDNO, IDCANCEL): a test clicks it.
int buttonIdOf(SaveAnswer answer);

// Asks `question` in a modal task dialog over `owner`, titled as the window's messages, 保存
// the default; Esc and closing it answer 取消. A dialog the system cannot show answers
// 取消, with the Chinese reason in `error`.
SaveAnswer askToSave(HWND owner, std::string_view question, std::string& error);

}  // namespace tavorin::win32
