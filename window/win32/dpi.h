// The window's DPI on every Windows from 7 SP1 on. The per-monitor DPI functions came with
// Windows 8.1 and 10, so the program looks them up when it runs, here and nowhere else, and
// where one is missing does what a Windows 7 program does: one DPI for the whole system.
//
//   Windows 10 1703 and later  per-monitor (version 2); the frame scales with the monitor
//   Windows 8.1, 10 1507-1607  per-monitor (version 1); the frame stays at the system's DPI
//   Windows 7 SP1 and 8        the system's DPI, the same on every monitor
//
// Importing any of these functions directly would keep the program from starting on the
// older systems at all ("entry point not found").
#pragma once

#include <windows.h>

namespace tavorin::win32 {

// The newer functions, each null where this Windows lacks it.
struct DpiFunctions {
    // user32.dll, Windows 10 1703 (version 2 contexts).
    BOOL(WINAPI* setProcessDpiAwarenessContext)(HANDLE context) = nullptr;
    // shcore.dll, Windows 8.1; its argument is a PROCESS_DPI_AWARENESS.
    HRESULT(WINAPI* setProcessDpiAwareness)(int awareness) = nullptr;
    // user32.dll, Windows 10 1607.
    UINT(WINAPI* getDpiForWindow)(HWND window) = nullptr;
    // shcore.dll, Windows 8.1; the second argument is a MONITOR_DPI_TYPE.
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR monitor, int type, UINT* x, UINT* y) = nullptr;
    // user32.dll, Windows 10 1607.
    BOOL(WINAPI* adjustWindowRectExForDpi)
    (RECT* rect, DWORD style, BOOL menu, DWORD exStyle, UINT dpi) = nullptr;
};

// Those this system has, looked up the first time and kept for the process.
const DpiFunctions& systemDpiFunctions();

// Makes the process DPI aware, before its first window: per-monitor version 2, else
// version 1 (Windows 8.1), else aware of the system's DPI (Windows 7 and 8). The manifest
// asks for the same, so where it has been read the call changes nothing.
void becomeDpiAware(const DpiFunctions& functions = systemDpiFunctions());

// The DPI `window` is drawn at: its monitor's where the system scales per monitor, else the
// system's. 96 when the system answers nothing usable.
int windowDpi(HWND window, const DpiFunctions& functions = systemDpiFunctions());

// The window rectangle around the client rectangle `rect`, for a window of `style` and
// `exStyle` with or without a menu bar, at `dpi`. Before Windows 10 1607 the frame is the
// system's, whatever `dpi`.
void adjustWindowRect(RECT& rect, DWORD style, bool menu, DWORD exStyle, int dpi,
                      const DpiFunctions& functions = systemDpiFunctions());

}  // namespace tavorin::win32
