#include "window/win32/dpi.h"

namespace tavorin::win32 {
namespace {

// The published values of the constants the newer headers name.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
constexpr int kProcessPerMonitorDpiAware = 2;  // PROCESS_PER_MONITOR_DPI_AWARE
constexpr int kEffectiveDpi = 0;               // MDT_EFFECTIVE_DPI
constexpr int kDefaultDpi = 96;

// `name` of `module` as the function type of `target`; null where it is missing.
template <typename Function>
void lookUp(HMODULE module, const char* name, Function& target) {
    target = nullptr;
    if (module == nullptr) return;
    // A FARPROC becomes the function's own type through a cast no compiler warns about.
    target = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

DpiFunctions lookUpAll() {
    DpiFunctions f;
    // user32.dll is loaded in every window program; shcore.dll only from System32, and
    // it stays loaded for the process. Windows 7 has no shcore.dll (and, without update
    // KB2533623, refuses the search flag): both functions from it stay null.
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    lookUp(user32, "SetProcessDpiAwarenessContext", f.setProcessDpiAwarenessContext);
    lookUp(shcore, "SetProcessDpiAwareness", f.setProcessDpiAwareness);
    lookUp(user32, "GetDpiForWindow", f.getDpiForWindow);
    lookUp(shcore, "GetDpiForMonitor", f.getDpiForMonitor);
    lookUp(user32, "AdjustWindowRectExForDpi", f.adjustWindowRectExForDpi);
    return f;
}

int systemDpi() {
    int dpi = 0;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

const DpiFunctions& systemDpiFunctions() {
    static const DpiFunctions functions = lookUpAll();
    return functions;
}

void becomeDpiAware(const DpiFunctions& functions) {
    // The first function this system has decides: a refusal means the manifest already set
    // the awareness, which a second call cannot change.
    if (functions.setProcessDpiAwarenessContext != nullptr) {
        functions.setProcessDpiAwarenessContext(kPerMonitorAwareV2);
    } else if (functions.setProcessDpiAwareness != nullptr) {
        functions.setProcessDpiAwareness(kProcessPerMonitorDpiAware);
    } else {
        SetProcessDPIAware();
    }
}

int windowDpi(HWND window, const DpiFunctions& functions) {
    if (functions.getDpiForWindow != nullptr) {
        const UINT dpi = functions.getDpiForWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    if (functions.getDpiForMonitor != nullptr) {
        UINT x = 0;
        UINT y = 0;
        const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (SUCCEEDED(functions.getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && x > 0) {
            return static_cast<int>(x);
        }
    }
    return systemDpi();
}

void adjustWindowRect(RECT& rect, DWORD style, bool menu, DWORD exStyle, int dpi,
                      const DpiFunctions& functions) {
    if (functions.adjustWindowRectExForDpi != nullptr &&
        functions.adjustWindowRectExForDpi(&rect, style, menu, exStyle, static_cast<UINT>(dpi))) {
        return;
    }
    AdjustWindowRectEx(&rect, style, menu, exStyle);
}

}  // namespace tavorin::win32
