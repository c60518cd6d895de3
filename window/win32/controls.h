// One row of a control table as a Win32 child window, the same for Form1 and the check
// dialog: its creation, its place and font at a DPI, and the sibling order Tab walks.
#pragma once

#include <windows.h>
// the header below needs windows.h first
#include <shellapi.h>

#include <span>
#include <string>
#include <vector>

#include "window/control_table.h"
#include "window/win32/accessible_names.h"
#include "window/win32/control_store.h"
#include "window/win32/fonts.h"
#include "window/win32/text_tips.h"

namespace tavorin::win32 {

// The child-window and menu identifier of a table row (Form1's or the check dialog's, each
// in its own window): kFirstControlId + its index, clear of IDOK and IDCANCEL, which the
// dialog manager sends for Enter and Esc.
inline constexpr int kFirstControlId = 1000;

// Registers the window class `className` (once): the program's icon, the arrow cursor, the
// dialog colour behind the controls.
bool registerWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure);

// The child of `window` whose focus `focus` stands for: a choice list for its field.
HWND focusOwner(HWND window, HWND focus);

// The control of a row (not a menu entry) as a child of `parent` with identifier `id`, its
// initial text, a choice list's items and no limit on a box's text; reachable in `store` by
// its name, announced by its accessible name, and a tool of `tips` when it shows its text as
// a tip (showsTextAsTip()). nullptr when the system refuses it.
HWND createControl(const ControlSpec& c, HWND parent, int id, HINSTANCE instance,
                   ControlStore& store, AccessibleNames& names, TextTips& tips);

// The dialog manager walks the focus along the sibling order: the controls that take the
// focus first, in `order`; the labels last, so that a label reaching under a box is drawn
// beneath it. `controls` by table row, nullptr where there is none.
void orderSiblings(std::span<const ControlSpec> table, const std::vector<HWND>& controls,
                   std::span<const std::size_t> order);

// The control at its twips and in its font, at `dpi`.
void layoutControl(const ControlSpec& c, HWND control, const WindowFonts& fonts, int dpi);

// Every control of `table` (by row in `controls`, nullptr where there is none) laid out.
void layoutControls(std::span<const ControlSpec> table, const std::vector<HWND>& controls,
                    const WindowFonts& fonts, int dpi);

// The keyboard of a window built from a table (Form1, the check dialog), for a message of
// the loop: Tab and Shift+Tab walk the sibling order; Enter and Esc press nothing (unless a
// choice list is open, which they close). True when the message is handled.
bool translateTableKeys(HWND window, MSG& message);

// The first file of a drop, UTF-8 (empty when there is none); the drop is finished.
std::string takeDroppedFile(HDROP drop);

// At WM_ACTIVATE: on leaving, remembers in `lastFocus` the control that had the focus; on
// coming back, gives it the focus again.
void keepFocusAcrossActivation(HWND window, bool active, HWND& lastFocus);

// The window procedure of an object of T, passed to CreateWindowExW as its creation
// parameter: ties the object to the window at WM_NCCREATE (its `windowOf` member set),
// unties it at WM_NCDESTROY (set to nullptr), and hands every other message to `handle`;
// a window without an object gets the default handling.
template <class T>
LRESULT dispatchToObject(HWND window, UINT message, WPARAM wParam, LPARAM lParam, HWND T::*windowOf,
                         LRESULT (T::*handle)(UINT, WPARAM, LPARAM)) {
    if (message == WM_NCCREATE) {
        auto* object = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        object->*windowOf = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    }
    auto* object = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (object == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        object->*windowOf = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return (object->*handle)(message, wParam, lParam);
}

}  // namespace tavorin::win32
