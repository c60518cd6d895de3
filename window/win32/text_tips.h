// The tooltips that show a result box's whole text on Win32: one tooltip control of a window
// (Form1 or the check dialog) with one tool per box that carries its text as a tip
// (showsTextAsTip()). The tip asks for the text each time it shows, so it is always the box's
// current text, whether a command wrote it or the user typed it; an empty box shows none.
#pragma once

#include <windows.h>

#include <string>

namespace tavorin::win32 {

class TextTips {
  public:
    // A tooltip control owned by `window`, which gets its requests for texts and destroys
    // it with itself; without it (the system refused it) the other functions do nothing.
    TextTips(HWND window, HINSTANCE instance);
    TextTips(const TextTips&) = delete;
    TextTips& operator=(const TextTips&) = delete;

    // `box`, a child of the window, shows its text when the pointer rests on it.
    void add(HWND box);

    // The tips' font, the window's own: replaced before the window's fonts are.
    void setFont(HFONT font);

    // At the window's WM_NOTIFY: fills in the text of a box the tip is about to show. True
    // when the notification was that request.
    bool answer(LPARAM notification);

  private:
    HWND m_window;
    HWND m_tips = nullptr;
    std::wstring m_text;  // the text shown; the tip points into it
};

}  // namespace tavorin::win32
