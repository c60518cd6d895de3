// The system's file dialogs for the entries of "文件": the entry's filter and suffix, the
// chosen path in UTF-8.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "window/file_menu.h"

namespace tavorin::win32 {

// A filter in the table's notation ("算例文件 (*.json);;所有文件 (*)") in the dialog's: each
// description, then its patterns separated by ';', each ended by L'\0', the whole by a second
// L'\0'. A description without patterns in parentheses matches every file.
std::wstring dialogFilter(std::string_view filter);

struct ChosenPath {
    std::string utf8;   // empty when the user cancelled or the dialog failed
    std::string error;  // Chinese; set when the dialog could not be shown
};

// The open dialog for 打开…, the save dialog (offering `offer`, asking before it replaces a
// file, adding the entry's suffix to a name without one) for the others.
ChosenPath choosePath(HWND owner, const FileMenuEntry& entry, std::string_view offer);

}  // namespace tavorin::win32
