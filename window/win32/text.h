// The one edge between the project's UTF-8 texts and the UTF-16 texts of the Win32 API.
#pragma once

#include <string>
#include <string_view>

namespace tavorin::win32 {

// UTF-8 to UTF-16. Bytes that are not UTF-8 become U+FFFD.
std::wstring widen(std::string_view text);

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD.
std::string narrow(std::wstring_view text);

}  // namespace tavorin::win32
