// tavorin.exe: the window program on Windows. One optional argument, a case file, which
// the window opens once shown, as 打开… opens it (a file that is not a case is reported over
// the fresh window); no settings. Closing the window ends it.
#include <windows.h>
// the headers below need windows.h first
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>

#include "window/win32/dpi.h"
#include "window/win32/form1.h"
#include "window/win32/text.h"

namespace {

// The case file named on the command line, as a full path; empty when none is named.
std::wstring caseArgument() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) return {};
    std::wstring path = count > 1 ? arguments[1] : L"";
    LocalFree(arguments);
    if (path.empty()) return path;
    // Saved again later, from wherever the program then is.
    const DWORD room = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(room, L'\0');
    const DWORD length = room == 0 ? 0 : GetFullPathNameW(path.c_str(), room, full.data(), nullptr);
    if (length == 0 || length >= room) return path;
    full.resize(length);
    return full;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    tavorin::win32::becomeDpiAware();
    // COM for the accessible names; the controls in the visual styles of the manifest.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    int status = 1;
    if (auto form = tavorin::win32::Form1::create(instance)) {
        form->show(showCommand);
        if (const std::wstring path = caseArgument(); !path.empty()) {
            form->openFile(tavorin::win32::narrow(path));
        }
        MSG message{};
        BOOL got = FALSE;
        while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
            if (form->preTranslate(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        status = got == 0 ? static_cast<int>(message.wParam) : 1;
    } else {
        MessageBoxW(nullptr, L"无法创建窗口。", L"Tavorin", MB_OK | MB_ICONERROR);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return status;
}
