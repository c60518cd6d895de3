#include "window/win32/file_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "window/win32/text.h"

namespace tavorin::win32 {
namespace {

// Room for the longest path the system takes.
constexpr size_t kPathRoom = 32768;

// The patterns of one filter item: the words inside its last parentheses, ';'-separated;
// "*" is every file, "*.*" to the dialog.
std::string patternsOf(std::string_view item) {
    const size_t open = item.rfind('(');
    const size_t close = item.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return "*.*";
    }
    std::string patterns;
    std::string_view words = item.substr(open + 1, close - open - 1);
    while (!words.empty()) {
        const size_t start = words.find_first_not_of(' ');
        if (start == std::string_view::npos) break;
        words.remove_prefix(start);
        const size_t end = std::min(words.find(' '), words.size());
        std::string_view word = words.substr(0, end);
        words.remove_prefix(end);
        if (!patterns.empty()) patterns += ';';
        patterns += word == "*" ? std::string_view("*.*") : word;
    }
    return patterns.empty() ? "*.*" : patterns;
}

}  // namespace

std::wstring dialogFilter(std::string_view filter) {
    std::wstring result;
    while (!filter.empty()) {
        const size_t end = std::min(filter.find(";;"), filter.size());
        const std::string_view item = filter.substr(0, end);
        filter.remove_prefix(std::min(end + 2, filter.size()));
        if (item.empty()) continue;
        result += widen(item);
        result += L'\0';
        result += widen(patternsOf(item));
        result += L'\0';
    }
    result += L'\0';
    return result;
}

ChosenPath choosePath(HWND owner, const FileMenuEntry& entry, std::string_view offer) {
    const bool open = opensFile(entry);
    std::vector<wchar_t> path(kPathRoom, L'\0');
    if (!open) {
        const std::wstring name = widen(offer).substr(0, kPathRoom - 1);
        std::copy(name.begin(), name.end(), path.begin());
    }
    const std::wstring title = widen(dialogTitle(entry));
    const std::wstring filter = dialogFilter(entry.filter);
    // The dialog adds the suffix without its dot.
    const std::wstring suffix = widen(entry.suffix.substr(entry.suffix.starts_with('.') ? 1 : 0));

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = suffix.empty() ? nullptr : suffix.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                   (open ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT);
    const BOOL chosen = open ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog);
    if (!chosen) {
        // Zero: the user cancelled.
        if (const DWORD code = CommDlgExtendedError(); code != 0) {
            return {{}, "无法显示文件对话框（错误 " + std::to_string(code) + "）。"};
        }
        return {};
    }
    return {narrow(path.data()), {}};
}

}  // namespace tavorin::win32
