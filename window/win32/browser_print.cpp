#include "window/win32/browser_print.h"

#include <shellapi.h>

#include "sheet/case_file.h"
#include "window/win32/text.h"

namespace tavorin::win32 {

std::string printableSheet(std::string_view html) {
    // Internet Explorer runs the scripts of a page from the disk only with this mark, which
    // must come before <html>; the other browsers take it as the comment it is.
    constexpr std::string_view kMark = "<!-- saved from url=(0014)about:internet -->\n";
    constexpr std::string_view kPrint =
        "<script>window.addEventListener(\"load\", function () { window.print(); });</script>\n";
    std::string page(html);
    const size_t root = page.find("<html");
    page.insert(root == std::string::npos ? 0 : root, kMark);
    const size_t body = page.rfind("</body>");
    page.insert(body == std::string::npos ? page.size() : body, kPrint);
    return page;
}

PrintFile writePrintFile(std::string_view html) {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return {{}, "找不到临时文件夹，无法打印计算书。"};
    // One file per process: two windows printing at once do not print each other's sheet.
    const std::wstring path = std::wstring(folder, length) + L"tavorin-print-" +
                              std::to_wstring(GetCurrentProcessId()) + L".html";
    std::string error = writeFileReplacing(narrow(path), printableSheet(html));
    if (!error.empty()) return {{}, std::move(error)};
    return {path, {}};
}

std::string openInBrowser(HWND owner, const std::wstring& path) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) return {};
    return "没有能打开计算书的浏览器（错误 " + std::to_string(result) +
           "），无法打印。请用“导出计算书…”写出计算书，再在其他程序中打印。";
}

}  // namespace tavorin::win32
