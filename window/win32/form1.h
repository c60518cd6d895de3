// Form1 on the plain Win32 API: the platform's standard controls (STATIC, EDIT, COMBOBOX,
// BUTTON) and a menu bar, built from the control table and the menu table in one loop over
// their rows; its child windows are the field store on which every command and menu entry
// runs (window/command.h), with the system's message box and file dialogs.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "window/command.h"
#include "window/control_table.h"
#include "window/file_menu.h"
#include "window/win32/accessible_names.h"
#include "window/win32/check_dialog.h"
#include "window/win32/control_store.h"
#include "window/win32/controls.h"
#include "window/win32/fonts.h"

namespace tavorin::win32 {

// The menu identifier of a menu entry: kFirstFileCommandId + its index in fileMenu().
inline constexpr int kFirstFileCommandId = 2000;

class Form1 final : private WindowSide {
  public:
    // Creates the window with every control at its place, font and default text; not yet
    // shown. Returns nullptr when the system refuses to create it.
    static std::unique_ptr<Form1> create(HINSTANCE instance);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    HWND window() const { return m_window; }

    // Shows the window with the focus in the first of the focus order.
    void show(int showCommand);

    // The window's own keyboard handling, before a message is dispatched: Tab and
    // Shift+Tab walk the focus order; Enter and Esc press nothing (except in an open choice
    // list, which they close). Returns true when the message is handled.
    bool preTranslate(MSG& message);

    // Replaces the warning message box (a test records the message instead).
    void setReporter(std::function<void(const std::string& message)> reporter);
    // Called before every operation of a command or menu entry on the boxes (a test throws
    // from it: the window shows the message and keeps every box as it was).
    void setStoreTrap(StoreTrap trap);

  private:
    explicit Form1(HINSTANCE instance);
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    bool onCreate();
    void onCommand(int id, int code, HWND from);
    void onActivate(bool active);
    void onDpiChanged(int dpi, const RECT& suggested);
    void onDestroy();

    void createControls();
    void layoutControls();
    void sizeWindow();
    void report(std::string_view message) override;
    std::string choosePath(const FileMenuEntry& entry, const std::string& offer) override;
    void showCheckDialog() override;

    HINSTANCE m_instance;
    HWND m_window = nullptr;
    HMENU m_menu = nullptr;
    int m_dpi = 96;
    std::wstring m_face;
    std::optional<WindowFonts> m_fonts;
    std::vector<HWND> m_controls;  // by table row; nullptr for menu entries
    ControlStore m_store;
    std::unique_ptr<AccessibleNames> m_names;
    std::unique_ptr<CheckDialog> m_check;  // owned by the window; its boxes are in m_store
    HWND m_lastFocus = nullptr;
    std::function<void(const std::string& message)> m_reporter;
    StoreTrap m_trap;
};

}  // namespace tavorin::win32
