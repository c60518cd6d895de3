// The system's clipboard as text (CF_UNICODETEXT), for the tables of the penstock window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace tavorin::win32 {

// The clipboard's text, or nothing when it holds none; `error` says, in Chinese, when it could
// not be read.
std::optional<std::wstring> clipboardText(HWND owner, std::string& error);

// Puts `text` on the clipboard; the Chinese error, or empty.
std::string setClipboardText(HWND owner, const std::wstring& text);

// Line ends as the clipboard has them: every LF not after a CR gets one ("a\nb\r\n" →
// "a\r\nb\r\n").
std::wstring withCrLf(std::wstring_view text);

}  // namespace tavorin::win32
