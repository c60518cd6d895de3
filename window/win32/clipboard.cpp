#include "window/win32/clipboard.h"

#include <algorithm>
#include <cwchar>

namespace tavorin::win32 {

std::optional<std::wstring> clipboardText(HWND owner, std::string& error) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return std::nullopt;
    if (!OpenClipboard(owner)) {
        error = "剪贴板正被其他程序使用，没有粘贴。";
        return std::nullopt;
    }
    std::optional<std::wstring> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text.emplace(chars, wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

std::string setClipboardText(HWND owner, const std::wstring& text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    auto* chars = memory != nullptr ? static_cast<wchar_t*>(GlobalLock(memory)) : nullptr;
    if (chars == nullptr) {
        if (memory != nullptr) GlobalFree(memory);
        return "内存不足，没有复制。";
    }
    std::copy(text.c_str(), text.c_str() + text.size() + 1, chars);
    GlobalUnlock(memory);
    if (!OpenClipboard(owner)) {
        GlobalFree(memory);
        return "剪贴板正被其他程序使用，没有复制。";
    }
    EmptyClipboard();
    // Once set, the memory is the clipboard's.
    const bool set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!set) {
        GlobalFree(memory);
        return "无法写入剪贴板，没有复制。";
    }
    return {};
}

std::wstring withCrLf(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size() + text.size() / 8);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
        out += text[i];
    }
    return out;
}

}  // namespace tavorin::win32
