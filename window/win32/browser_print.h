// 打印… in the Win32 window: the browser prints the sheet. It lays the sheet's HTML out for
// paper as the sheet asks (A4, its page breaks, the header of a table again on each page)
// and offers the system's printers in its own print dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace tavorin::win32 {

// The sheet as the browser is to print it: `html` with a script that opens the print dialog
// once the page has loaded, and the mark that lets Internet Explorer run it from a file.
std::string printableSheet(std::string_view html);

// printableSheet(html) written to the file of this process in the user's temporary folder
// ("tavorin-print-1234.html", replaced by the next 打印…), or the Chinese error.
struct PrintFile {
    std::wstring path;
    std::string error;
};
PrintFile writePrintFile(std::string_view html);

// Opens `path` in the program the system opens web pages with; the Chinese error, or empty.
std::string openInBrowser(HWND owner, const std::wstring& path);

// What opens a print file: openInBrowser, or a test's stand-in; the Chinese error, or empty.
using Browser = std::function<std::string(const std::wstring& path)>;
// What a window tells once the browser has the sheet.
inline constexpr std::string_view kPrintedNotice = "计算书已在浏览器中打开，请在那里打印。";

}  // namespace tavorin::win32
