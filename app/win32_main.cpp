// tavorin.exe: the window program on Windows. No arguments, no files, no settings;
// closing the window ends it.
#include <windows.h>
// the headers below need windows.h first
#include <commctrl.h>
#include <objbase.h>

#include "window/win32/dpi.h"
#include "window/win32/form1.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    tavorin::win32::becomeDpiAware();
    // COM for the accessible names; the controls in the visual styles of the manifest.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    int status = 1;
    if (auto form = tavorin::win32::Form1::create(instance)) {
        form->show(showCommand);
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
