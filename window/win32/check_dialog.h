// The dialog of the stability check on the plain Win32 API: a window owned by Form1, built
// from the dialog's control table (window/check_dialog.h) in one loop over its rows, its
// child windows in Form1's field store. Closing it hides it; its texts stay.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "window/control_table.h"
#include "window/win32/accessible_names.h"
#include "window/win32/control_store.h"
#include "window/win32/fonts.h"
#include "window/win32/text_tips.h"

namespace tavorin::win32 {

class CheckDialog {
  public:
    // Every control with its default text, each reachable in `store` by its name; a click
    // on "验  算" calls `run` with its command. Hidden until show(). nullptr when the system
    // refuses the window.
    static std::unique_ptr<CheckDialog> create(HINSTANCE instance, HWND owner, ControlStore& store,
                                               AccessibleNames& names,
                                               std::function<void(Command)> run);
    ~CheckDialog();
    CheckDialog(const CheckDialog&) = delete;
    CheckDialog& operator=(const CheckDialog&) = delete;

    HWND window() const { return m_window; }

    // Every control at its place and in its font, the window sized for its client area, at
    // `dpi`.
    void layout(const WindowFonts& fonts, int dpi);

    // Shows the dialog in front, with the focus where it was (at first in Bjt).
    void show();

    // The dialog's keyboard handling, as Form1's: Tab and Shift+Tab walk its focus order;
    // Enter and Esc press nothing. Returns true when the message is handled.
    bool preTranslate(MSG& message);

  private:
    explicit CheckDialog(std::function<void(Command)> run) : m_run(std::move(run)) {}
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    // The brush and text colour of a verdict box, or nullptr for any other control.
    HBRUSH colourVerdict(HDC dc, HWND control);

    HWND m_window = nullptr;
    std::unique_ptr<TextTips> m_tips;  // of the result boxes
    std::vector<HWND> m_controls;      // by table row
    HWND m_lastFocus = nullptr;
    std::function<void(Command)> m_run;
};

}  // namespace tavorin::win32
