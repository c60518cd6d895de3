// The penstock window (window/penstock_window.h) on the plain Win32 API: a top-level window
// "管线计算" built from its control table in one loop over the rows, the profile as a list
// view edited in place (an EDIT laid over the current cell), the results as a read-only list
// view, and a child window that paints the drawing of the profile with GDI. It is the
// PenstockView of its controller and the WindowSide of its own messages, file dialogs,
// notice, printing and question about unsaved changes; a result row opens in Form1 through
// Form1's store, side and document, which Form1 lends it.
//
// The profile's keys: typing, F2, Enter or a double-click edit the current cell, and Enter,
// Tab or leaving the cell commit the edit, Esc drops it; Tab and Shift+Tab move cell by cell
// and, past the last cell (or before the first), on to the next control; Left and Right move
// along the row, Up and Down (with Shift: a range of rows) as the list view does. Insert and
// Delete run 插入行 and 删除行 when no cell is edited; Ctrl+V pastes the clipboard's text at
// the current cell, Ctrl+C copies the selected rows, from the first to the last, every cell
// (CR LF line ends). In the results, Enter or a double-click opens the row in Form1.
#pragma once

#include <windows.h>
// the headers below need windows.h first
#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "window/command.h"
#include "window/penstock_window.h"
#include "window/win32/accessible_names.h"
#include "window/win32/control_store.h"
#include "window/win32/dialogs.h"
#include "window/win32/fonts.h"
#include "window/win32/gdi.h"
#include "window/win32/notice.h"
#include "window/win32/profile_canvas.h"
#include "window/win32/text_tips.h"

namespace tavorin::win32 {

// The child-window identifiers of the two tables, the drawing and the edit of a cell, clear
// of the table's rows (kFirstControlId + row).
inline constexpr int kProfileTableId = 3000;
inline constexpr int kResultTableId = 3001;
inline constexpr int kDrawingId = 3002;
inline constexpr int kCellEditId = 3003;

// What Form1 lends the penstock window. `running` is Form1's flag that a handler of either
// window runs (a close or a drop then waits); the dialogs are Form1's (with a test's
// stand-ins, if any), shown over the penstock window.
struct PenstockHost {
    HWND form;
    WindowStore& store;
    WindowSide& side;
    CaseDocument& document;
    std::wstring face;
    bool& running;
    const Dialogs& dialogs;
};

class PenstockWindow final : private WindowSide, private PenstockView {
  public:
    // The window with every control, its tables and the drawing, a new penstock shown
    // (PenstockController::start); not yet shown. nullptr when the system refuses it.
    static std::unique_ptr<PenstockWindow> create(HINSTANCE instance, const PenstockHost& host);
    ~PenstockWindow();
    PenstockWindow(const PenstockWindow&) = delete;
    PenstockWindow& operator=(const PenstockWindow&) = delete;

    // nullptr once the window is closed (destroyed).
    HWND window() const { return m_window; }
    PenstockController& controller() { return *m_controller; }

    // Shows the window in front, restored when minimised, with the focus where it was (at
    // first in the first of its focus order); a cell being edited is committed.
    void show();

    // Whether the window may close: an edited cell is committed, then the controller asks
    // about unsaved changes.
    bool mayClose();

    // The window's keyboard handling, before a message is dispatched (see above), then Tab
    // and Shift+Tab along the focus order, Enter and Esc pressing nothing, as in Form1. Files
    // dropped on a child go to the window. True when the message is handled.
    bool preTranslate(MSG& message);

    // The text of the notice while it is shown, else empty.
    std::string notice() const { return m_notice ? m_notice->text() : std::string(); }

  private:
    explicit PenstockWindow(const PenstockHost& host);
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    bool build(HINSTANCE instance);
    HWND createTable(HINSTANCE instance, int id, std::span<const TableColumn> columns,
                     bool editable);
    void orderTables();
    void layout();
    void sizeColumns(HWND table, std::span<const TableColumn> columns);
    void busy(const std::function<void()>& work);

    void onCommand(int id, int code, HWND from);
    LRESULT onNotify(const NMHDR& header);
    LRESULT onCustomDraw(NMLVCUSTOMDRAW& draw);
    void onActivate(bool active);
    void onClose();
    void onDpiChanged(int dpi, const RECT& suggested);
    void onDropFiles(HDROP drop);

    // The profile table's keys (the table's own and those of its edit) and the results'.
    bool profileKeys(const MSG& message);
    bool editKeys(const MSG& message);
    bool resultKeys(const MSG& message);
    // The cell under a point of the profile table's client area, or nothing.
    std::optional<std::pair<std::size_t, std::size_t>> cellAt(POINT at);
    RECT cellRect(std::size_t row, std::size_t column);
    void showCell(std::size_t row, std::size_t column);
    void moveCell(bool back);
    void beginEdit(bool keepText);
    void endEdit(bool keep);
    void paste();
    void copy();
    void openResult(int row);

    // PenstockView
    std::string lineText(std::string_view key) override;
    void setLineText(std::string_view key, std::string_view text) override;
    std::size_t rowCount() override;
    std::string cell(std::size_t row, std::size_t column) override;
    void setCell(std::size_t row, std::size_t column, std::string_view text) override;
    void insertRows(std::size_t at, std::size_t count) override;
    void removeRows(std::size_t at, std::size_t count) override;
    std::optional<std::pair<std::size_t, std::size_t>> currentCell() override;
    void selectCell(std::size_t row, std::size_t column) override;
    void focusBox(std::string_view key) override;
    void showResults(const std::vector<std::vector<std::string>>& rows) override;
    void showDrawing(const Penstock* penstock) override;

    // WindowSide
    void report(std::string_view message) override;
    std::string choosePath(const FileMenuEntry& entry, const std::string& offer) override;
    void print(const std::string& html) override;
    void showCheckDialog() override;
    void notify(std::string_view message) override;
    SaveAnswer askToSave(std::string_view question) override;

    PenstockHost m_host;
    HWND m_window = nullptr;
    int m_dpi = 96;
    std::optional<WindowFonts> m_fonts;
    std::vector<HWND> m_controls;  // by table row
    ControlStore m_store;          // the line's boxes, by key
    std::unique_ptr<AccessibleNames> m_names;
    std::unique_ptr<TextTips> m_tips;
    std::unique_ptr<Notice> m_notice;
    HWND m_profile = nullptr;
    HWND m_results = nullptr;
    HWND m_edit = nullptr;
    std::unique_ptr<ProfileCanvas> m_canvas;
    ImageList m_rows;  // the height of both tables' rows, which share it
    HWND m_lastFocus = nullptr;
    // The current cell's column (its row is the profile table's focused item), and the
    // cell being edited.
    std::size_t m_column = 0;
    bool m_editing = false;
    std::size_t m_editRow = 0;
    std::size_t m_editColumn = 0;
    std::optional<PenstockController> m_controller;
};

}  // namespace tavorin::win32
