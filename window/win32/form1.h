// Form1 on the plain Win32 API: the platform's standard controls (STATIC, EDIT, COMBOBOX,
// BUTTON) and a menu bar, built from the control table and the menu table in one loop over
// their rows; its child windows are the field store on which every command and menu entry
// runs (window/command.h), with the system's message box and file dialogs. The entries of
// 文件 have their keys (an accelerator table built from the menu table); a case file dropped
// on the window opens as 打开… opens it; what a save or an export wrote is told by a notice
// in the lower right of the client area that goes by itself. 打印… hands the sheet to the
// browser (window/win32/browser_print.h). Closing the window, 新建, 打开… and a drop first
// ask about unsaved changes (window/unsaved_changes.h) in a task dialog
// (window/win32/save_question.h). 管线计算… (Ctrl+L), the penstock entries of 文件 and a
// penstock file named or dropped show the penstock window (window/win32/penstock_window.h),
// made the first time and again after it was closed; closing Form1 asks about its unsaved
// changes too. The keys of 文件 pressed in the penstock window act on its penstock
// (PenstockController::runKeyOf).
#pragma once

#include <windows.h>
// the header below needs windows.h first
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "window/command.h"
#include "window/control_table.h"
#include "window/file_menu.h"
#include "window/win32/accessible_names.h"
#include "window/win32/check_dialog.h"
#include "window/win32/control_store.h"
#include "window/win32/controls.h"
#include "window/win32/dialogs.h"
#include "window/win32/fonts.h"
#include "window/win32/notice.h"
#include "window/win32/penstock_window.h"
#include "window/win32/text_tips.h"

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

    // Opens the case file at `utf8Path` as 打开… does once the file is chosen (a file named
    // on the command line); a file that is not a case is reported over the window.
    void openFile(const std::string& utf8Path);

    // The text of the notice while it is shown, else empty.
    std::string notice() const;

    // The window's own keyboard handling, before a message is dispatched: the keys of the
    // menu entries (in Form1, its boxes and the check dialog); Tab and Shift+Tab walk the
    // focus order; Enter and Esc press nothing (except in an open choice list, which they
    // close). Files dropped on a box go to the window. The penstock window's messages go to
    // its own. Returns true when the message is handled.
    bool preTranslate(MSG& message);

    // The penstock window while it is open, else nullptr.
    PenstockWindow* penstockWindow() const;

    // Replaces the warning message box (a test records the message instead); of the penstock
    // window too, as are the next two.
    void setReporter(std::function<void(const std::string& message)> reporter);
    // Replaces the task dialog of the question about unsaved changes (a test answers it).
    void setSaveQuestion(std::function<SaveAnswer(const std::string& question)> question);
    // Called before every operation of a command or menu entry on the boxes (a test throws
    // from it: the window shows the message and keeps every box as it was).
    void setStoreTrap(StoreTrap trap);
    // Replaces the system's browser, which 打印… opens its file in (a test keeps the path
    // instead); it returns the Chinese error, or empty.
    void setBrowser(Browser browser);

  private:
    explicit Form1(HINSTANCE instance);
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    bool onCreate();
    void onCommand(int id, int code, HWND from);
    void onActivate(bool active);
    void onClose();
    void onDpiChanged(int dpi, const RECT& suggested);
    void onDestroy();
    void onDropFiles(HDROP drop);
    // Runs a handler with m_running set.
    void busy(const std::function<void()>& work);

    void createControls();
    void createAccelerators();
    void layoutControls();
    void sizeWindow();
    HWND activeOwner() const;
    void report(std::string_view message) override;
    std::string choosePath(const FileMenuEntry& entry, const std::string& offer) override;
    void showCheckDialog() override;
    void notify(std::string_view message) override;
    void print(const std::string& html) override;
    SaveAnswer askToSave(std::string_view question) override;
    PenstockController* penstock() override;

    HINSTANCE m_instance;
    HWND m_window = nullptr;
    HMENU m_menu = nullptr;
    int m_dpi = 96;
    std::wstring m_face;
    std::optional<WindowFonts> m_fonts;
    std::vector<HWND> m_controls;  // by table row; nullptr for menu entries
    ControlStore m_store;
    std::unique_ptr<AccessibleNames> m_names;
    std::unique_ptr<TextTips> m_tips;            // of the result boxes
    std::unique_ptr<CheckDialog> m_check;        // owned by the window; its boxes are in m_store
    std::unique_ptr<PenstockWindow> m_penstock;  // made on demand; its window may be closed
    HWND m_lastFocus = nullptr;
    HACCEL m_accelerators = nullptr;
    std::unique_ptr<Notice> m_notice;
    CaseDocument m_document;
    // A handler of Form1 or of the penstock window runs: a file dropped or a close while its
    // dialog or message is up is not acted on.
    bool m_running = false;
    Dialogs m_dialogs;  // Form1's, lent to the penstock window
    StoreTrap m_trap;
};

}  // namespace tavorin::win32
