// The notice of a window on Win32: a short message in a tracking tooltip near the lower right
// of the window's client area, where no control is, that goes by itself after three seconds
// (and when the window moves or is resized). Screen readers read it as it shows. It changes
// neither the window's layout nor its caption.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace tavorin::win32 {

class Notice {
  public:
    // A tooltip owned by `window`; without it (the system refused it) nothing is shown.
    Notice(HWND window, HINSTANCE instance);
    Notice(const Notice&) = delete;
    Notice& operator=(const Notice&) = delete;
    ~Notice();

    // Shows `message` in `font`, its corner a margin of 120 twips at `dpi` inside the client
    // area's, and starts the timer that hides it.
    void show(std::string_view message, HFONT font, int dpi);
    void hide();
    // At the window's WM_TIMER: hides the notice when the timer is its own. True when it was.
    bool onTimer(UINT_PTR timer);

    // The text while it is shown, else empty.
    std::string text() const;

  private:
    HWND m_window;
    HWND m_tip = nullptr;
    std::wstring m_text;  // what it shows; the tooltip points into it
};

}  // namespace tavorin::win32
