// The penstock window of the Win32 window inside one process, under Wine: Ctrl+L and the menu
// 管线 show it, one at a time; the golden line typed cell by cell through the profile's list
// view and its in-place edit, or pasted from the clipboard, gives the batch tool's lines in
// the results, and Ctrl+C gives the pasted text back; a bad cell is named and selected and
// every text kept; a result row opens in Form1 with the batch tool's texts; 管线另存为…, 打开管线…
// and 保存管线 give the same bytes; closing Form1 asks about a changed line; the columns hold
// their widest texts at 96 and 192 dpi.
#include <gtest/gtest.h>
#include <windows.h>
// the headers below need windows.h first
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>  // DROPFILES

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "engine/penstock.h"
#include "sheet/case_file.h"
#include "sheet/penstock_file.h"
#include "tests/window/penstock_golden.h"
#include "window/check_dialog.h"
#include "window/control_table.h"
#include "window/file_menu.h"
#include "window/penstock_window.h"
#include "window/win32/clipboard.h"
#include "window/win32/control_store.h"
#include "window/win32/form1.h"
#include "window/win32/penstock_window.h"
#include "window/win32/text.h"

namespace tavorin::win32 {
namespace {

using namespace std::chrono_literals;

const std::string kGolden = TAVORIN_GOLDEN_DIR;

int entryId(FileCommand command) {
    const auto entries = fileMenu();
    for (size_t index = 0; index < entries.size(); ++index) {
        if (entries[index].command == command) return kFirstFileCommandId + static_cast<int>(index);
    }
    ADD_FAILURE() << "no entry of the command";
    return 0;
}

std::string itemText(HWND table, int row, int column) {
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(table, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    return narrow(text);
}

int itemCount(HWND table) { return static_cast<int>(SendMessageW(table, LVM_GETITEMCOUNT, 0, 0)); }

// Every cell of a table, by row.
std::vector<std::vector<std::string>> cellsOf(HWND table, size_t columns) {
    std::vector<std::vector<std::string>> cells(static_cast<size_t>(itemCount(table)));
    for (size_t r = 0; r < cells.size(); ++r) {
        for (size_t c = 0; c < columns; ++c) {
            cells[r].push_back(itemText(table, static_cast<int>(r), static_cast<int>(c)));
        }
    }
    return cells;
}

std::vector<std::vector<std::string>> goldenCells() {
    std::vector<std::vector<std::string>> cells;
    for (const PointTexts& point : golden().points) {
        cells.emplace_back();
        for (size_t c = 0; c < kPointKeys.size(); ++c) cells.back().push_back(point[c]);
    }
    return cells;
}

std::wstring clipboard() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

std::string fileBytes(const std::wstring& path) { return readFile(narrow(path), 1 << 24).bytes; }

// What a timer does to the file dialog of this thread: types the path and presses OK, or,
// for an empty path, cancels it; `shown` counts the dialogs it met. Past the fourth it
// cancels whatever it meets, so that a dialog that comes back (its message that the file
// is not there) cannot hold the test.
struct FileDialogAnswer {
    std::wstring path;
    int shown = 0;
};
FileDialogAnswer* g_answer = nullptr;

void CALLBACK answerFileDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (!IsWindowVisible(window) || std::wstring_view(name) != L"#32770") return TRUE;
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr || g_answer == nullptr) return;
    ++g_answer->shown;
    HWND name = GetDlgItem(dialog, 0x47C);                  // cmb13
    if (name == nullptr) name = GetDlgItem(dialog, 0x480);  // edt1
    const bool cancel = g_answer->path.empty() || name == nullptr || g_answer->shown > 4;
    const int button = cancel ? IDCANCEL : IDOK;
    if (name != nullptr) SetWindowTextW(name, g_answer->path.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

class PenstockWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_form = Form1::create(GetModuleHandleW(nullptr));
        ASSERT_NE(m_form, nullptr);
        m_form->show(SW_SHOWNOACTIVATE);
        m_form->setReporter([this](const std::string& message) { m_messages.push_back(message); });
        m_form->setSaveQuestion([this](const std::string& question) {
            m_questions.push_back(question);
            return m_answer;
        });
    }

    // Runs the thread's messages as tavorin.exe's loop does, until `done` or for `limit`.
    bool pump(
        const std::function<bool()>& done = [] { return true; },
        std::chrono::milliseconds limit = 2000ms) {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            MSG message{};
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (m_form->preTranslate(message)) continue;
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            if (done()) return true;
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(10ms);
        }
    }

    // A key pressed in `window`, Ctrl held as the thread sees it when `control`.
    void key(HWND window, WPARAM key, bool control = false) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageW(window, WM_KEYDOWN, key, 1);
        pump();
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }
    // Characters typed into whatever has the focus.
    void type(std::string_view text) {
        for (const wchar_t c : widen(text)) {
            PostMessageW(GetFocus(), WM_CHAR, c, 1);
            pump();
        }
    }

    // Ctrl+L in Form1: the penstock window, active, as the user has it then. Under Wine the
    // window a program shows in a session just started may lose its activation for a moment.
    HWND open() {
        key(m_form->window(), 'L', true);
        pump([this] { return m_form->penstockWindow() != nullptr; });
        if (m_form->penstockWindow() == nullptr) return nullptr;
        const HWND opened = window();
        EXPECT_TRUE(pump(
            [opened] {
                if (GetActiveWindow() == opened) return true;
                SetForegroundWindow(opened);
                SetActiveWindow(opened);
                return false;
            },
            5000ms))
            << "the penstock window did not become active";
        return opened;
    }
    HWND window() const { return m_form->penstockWindow()->window(); }
    HWND profile() const { return GetDlgItem(window(), kProfileTableId); }
    HWND results() const { return GetDlgItem(window(), kResultTableId); }
    HWND control(std::string_view name) const {
        const auto table = penstockWindowTable();
        return GetDlgItem(window(), kFirstControlId + static_cast<int>(findControlIn(table, name) -
                                                                       table.data()));
    }
    void click(std::string_view button) {
        SendMessageW(window(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control(button)), BN_CLICKED),
                     reinterpret_cast<LPARAM>(control(button)));
        pump();
    }
    void menu(FileCommand command) {
        SendMessageW(m_form->window(), WM_COMMAND, MAKEWPARAM(entryId(command), 0), 0);
        pump();
    }
    void setLineBoxes(const PenstockTexts& texts) {
        for (size_t k = 0; k < kLineKeys.size(); ++k) {
            SetWindowTextW(control(kLineKeys[k]), widen(texts.line[k]).c_str());
        }
    }
    // The cell (row, column) made current from the keyboard: Home, Down, then Left and Right.
    void goTo(size_t row, size_t column) {
        SetFocus(profile());
        key(profile(), VK_HOME);
        for (size_t r = 0; r < row; ++r) key(profile(), VK_DOWN);
        for (size_t c = 0; c < kPointKeys.size(); ++c) key(profile(), VK_LEFT);
        for (size_t c = 0; c < column; ++c) key(profile(), VK_RIGHT);
    }
    void openGolden() {
        m_form->penstockWindow()->controller().openAt(kGolden + "/penstock.penstock");
        pump();
    }

    // The results table against the batch tool's lines, row by row and column by column; a
    // block the check does not run on reads 未验算.
    void expectGoldenResults() {
        const std::vector<nlohmann::json> lines = goldenLines();
        ASSERT_EQ(itemCount(results()), static_cast<int>(lines.size()));
        for (size_t r = 0; r < lines.size(); ++r) {
            const nlohmann::json& fields = lines[r]["fields"];
            for (size_t c = 0; c < resultColumns().size(); ++c) {
                const std::string key(resultColumns()[c].key);
                const std::string expected = fields.contains(key) ? fields[key].get<std::string>()
                                             : key == "jg"        ? "未验算"
                                                                  : "";
                EXPECT_EQ(itemText(results(), static_cast<int>(r), static_cast<int>(c)), expected)
                    << "row " << r << ", " << key;
            }
        }
    }

    std::unique_ptr<Form1> m_form;
    std::vector<std::string> m_messages;
    std::vector<std::string> m_questions;
    SaveAnswer m_answer = SaveAnswer::Discard;
};

// Typed through the real list view (Home, the characters, which open the cell's edit, and
// Tab, which commits it and moves on) or pasted with Ctrl+V, the golden line calculates to
// the batch tool's lines; Ctrl+C on every row gives the pasted text back, with CR LF.
TEST_F(PenstockWindowTest, TheGoldenLineTypedOrPastedGivesTheBatchToolsLines) {
    const HWND opened = open();
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(windowText(opened), "管线计算");
    EXPECT_TRUE(IsWindowVisible(opened));
    // Again by Ctrl+L and by the menu 管线: the same window, the only one.
    key(m_form->window(), 'L', true);
    menu(FileCommand::PenstockWindow);
    EXPECT_EQ(open(), opened);
    int windows = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM count) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(w, name, 32);
            *reinterpret_cast<int*>(count) += std::wstring_view(name) == L"TavorinPenstockWindow";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    EXPECT_EQ(windows, 1);

    std::wstring pasted;
    for (const auto& row : goldenCells()) {
        for (size_t c = 0; c < row.size(); ++c) pasted += (c ? L"\t" : L"") + widen(row[c]);
        pasted += L"\r\n";
    }
    for (const bool typed : {true, false}) {
        SCOPED_TRACE(typed ? "typed" : "pasted");
        menu(FileCommand::NewPenstock);
        setLineBoxes(golden());
        if (typed) {
            // Two rows more than a new line's three (添加行, Insert twice, Delete), then every
            // cell from the first.
            click("psAddRow");
            for (const WPARAM k : {VK_INSERT, VK_INSERT, VK_DELETE}) key(profile(), k);
            EXPECT_EQ(itemCount(profile()), 5);
            goTo(0, 0);
            for (const auto& row : goldenCells()) {
                for (const std::string& text : row) {
                    type(text);
                    key(GetFocus(), VK_TAB);
                }
            }
            EXPECT_EQ(GetFocus(), control("psAddRow")) << "Tab after the last cell leaves";
        } else {
            ASSERT_EQ(setClipboardText(nullptr, pasted), "");
            goTo(0, 0);
            key(profile(), 'V', true);
        }
        EXPECT_EQ(cellsOf(profile(), kPointKeys.size()), goldenCells());
        click("psCalculate");
        EXPECT_EQ(m_messages, std::vector<std::string>{});
        expectGoldenResults();
        if (typed) continue;
        LVITEMW all{};
        all.state = all.stateMask = LVIS_SELECTED;
        SendMessageW(profile(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&all));
        setClipboardText(nullptr, L"");
        key(profile(), 'C', true);
        EXPECT_EQ(narrow(clipboard()), narrow(pasted));
    }
}

// A Z that is not a number, an X that does not increase: 计  算 shows the message naming the
// row and the column, the cell is current (F2 opens it), and every text stays as typed.
TEST_F(PenstockWindowTest, ABadCellIsNamedAndSelectedAndNothingIsLost) {
    ASSERT_NE(open(), nullptr);
    const struct {
        const char* what;
        size_t row;
        std::string_view key;
        const char* text;
    } rows[] = {
        {"a Z that is not a number", 2, "Z", "3O0"},
        {"an X that does not increase", 3, "X", "200"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        openGolden();
        const size_t column = *pointKeyIndex(row.key);
        goTo(row.row, column);
        key(profile(), VK_F2);
        SetWindowTextW(GetFocus(), widen(row.text).c_str());
        key(GetFocus(), VK_RETURN);
        const auto before = cellsOf(profile(), kPointKeys.size());
        ASSERT_EQ(before[row.row][column], row.text);
        PenstockTexts texts = golden();
        texts.points[row.row][column] = row.text;
        const PenstockRead read = readPenstock(texts);
        ASSERT_FALSE(read.penstock);
        ASSERT_EQ(read.fault.point, row.row);
        SetFocus(control("Zwt"));
        m_messages.clear();
        click("psCalculate");
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_TRUE(m_messages[0].starts_with(read.fault.message)) << m_messages[0];
        EXPECT_NE(m_messages[0].find("第 " + std::to_string(row.row + 1) + " 行"),
                  std::string::npos)
            << m_messages[0];
        EXPECT_NE(m_messages[0].find(std::string(profileColumns()[column].caption)),
                  std::string::npos)
            << m_messages[0];
        EXPECT_EQ(cellsOf(profile(), kPointKeys.size()), before);
        EXPECT_EQ(windowText(control("Zwt")), "520");
        // The cell is current: the focus is in the table, and F2 lays the edit over it.
        EXPECT_EQ(GetFocus(), profile());
        key(profile(), VK_F2);
        const HWND edit = GetDlgItem(window(), kCellEditId);
        EXPECT_EQ(GetFocus(), edit);
        EXPECT_EQ(windowText(edit), row.text);
        RECT cell{};
        cell.top = static_cast<LONG>(column);
        cell.left = LVIR_BOUNDS;
        SendMessageW(profile(), LVM_GETSUBITEMRECT, row.row, reinterpret_cast<LPARAM>(&cell));
        MapWindowPoints(profile(), nullptr, reinterpret_cast<POINT*>(&cell), 2);
        RECT over{};
        GetWindowRect(edit, &over);
        EXPECT_EQ(over.left, cell.left);
        EXPECT_EQ(over.top, cell.top);
        key(edit, VK_ESCAPE);
        EXPECT_FALSE(IsWindowVisible(edit));
        EXPECT_EQ(cellsOf(profile(), kPointKeys.size()), before);
    }
}

// Enter on a result row, or a double-click, puts the block's case into Form1, calculated:
// every box of Form1 (and of the check dialog, for the checked block) holds the batch tool's
// text.
TEST_F(PenstockWindowTest, AResultRowOpensInForm1WithTheBatchToolsTexts) {
    ASSERT_NE(open(), nullptr);
    openGolden();
    click("psCalculate");
    const std::vector<nlohmann::json> lines = goldenLines();
    HWND dialog = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM found) -> BOOL {
            wchar_t name[32] = {};
            GetClassNameW(w, name, 32);
            if (std::wstring_view(name) == L"TavorinCheckDialog")
                *reinterpret_cast<HWND*>(found) = w;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&dialog));
    ASSERT_NE(dialog, nullptr);
    const struct {
        int row;
        bool enter;  // or a double-click
    } rows[] = {{1, true}, {4, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        if (row.enter) {
            LVITEMW item{};
            item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(results(), LVM_SETITEMSTATE, row.row, reinterpret_cast<LPARAM>(&item));
            SetFocus(results());
            key(results(), VK_RETURN);
        } else {
            RECT r{};
            r.left = LVIR_BOUNDS;
            SendMessageW(results(), LVM_GETITEMRECT, row.row, reinterpret_cast<LPARAM>(&r));
            const LPARAM at = MAKELPARAM(r.left + 20, (r.top + r.bottom) / 2);
            PostMessageW(results(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            PostMessageW(results(), WM_LBUTTONUP, 0, at);
            pump();
        }
        EXPECT_EQ(m_messages, std::vector<std::string>{});
        const std::string name = lines[static_cast<size_t>(row.row)]["fields"]["Text1"];
        EXPECT_NE(m_form->notice().find("“" + name + "”"), std::string::npos) << m_form->notice();
        int boxes = 0;
        for (const auto& [key, text] : lines[static_cast<size_t>(row.row)]["fields"].items()) {
            const ControlSpec* c = findControl(key);
            const ControlSpec* d = findCheckControl(key);
            ASSERT_TRUE(c != nullptr || d != nullptr) << key;
            const HWND box =
                c != nullptr
                    ? GetDlgItem(m_form->window(),
                                 kFirstControlId + static_cast<int>(c - controlTable().data()))
                    : GetDlgItem(dialog,
                                 kFirstControlId + static_cast<int>(d - checkDialogTable().data()));
            EXPECT_EQ(windowText(box), text.get<std::string>()) << key;
            ++boxes;
        }
        EXPECT_GT(boxes, 50);
    }
}

// 管线另存为… into a folder of the test's, 打开管线… that file, 保存管线 (without a dialog): the
// same bytes. Then a changed cell: closing the penstock window or Form1 asks about the line,
// 取消 keeps both; Ctrl+S in the penstock window saves the line, the cell being edited too.
TEST_F(PenstockWindowTest, SaveOpenAndSaveAgainGiveTheSameBytes) {
    ASSERT_NE(open(), nullptr);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"tavorin 管线测试\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"三号 管线.penstock";
    DeleteFileW(path.c_str());
    // The golden file dropped on the window.
    const std::wstring from = widen(kGolden + "/penstock.penstock");
    const size_t bytes = sizeof(DROPFILES) + (from.size() + 2) * sizeof(wchar_t);
    HGLOBAL drop = GlobalAlloc(GHND, bytes);
    auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::copy(from.begin(), from.end(), reinterpret_cast<wchar_t*>(files + 1));
    GlobalUnlock(drop);
    PostMessageW(profile(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    pump([&] { return windowText(control("Text1")) == "三号管线"; });
    EXPECT_EQ(cellsOf(profile(), kPointKeys.size()), goldenCells());

    FileDialogAnswer answer{path};
    g_answer = &answer;
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, answerFileDialog);
    menu(FileCommand::SavePenstockAs);
    const std::string saved = fileBytes(path);
    EXPECT_EQ(parsePenstock(saved).error, "");
    EXPECT_EQ(m_form->penstockWindow()->notice(), "已保存到“三号 管线.penstock”。");
    menu(FileCommand::NewPenstock);
    EXPECT_EQ(itemCount(profile()), 3);
    menu(FileCommand::OpenPenstock);
    EXPECT_EQ(cellsOf(profile(), kPointKeys.size()), goldenCells());
    EXPECT_EQ(answer.shown, 2);
    answer.path.clear();  // from here on a dialog is a fault, cancelled
    menu(FileCommand::SavePenstock);
    EXPECT_EQ(answer.shown, 2) << "保存管线 asked for a file it has";
    EXPECT_EQ(fileBytes(path), saved);
    EXPECT_EQ(m_messages, std::vector<std::string>{});
    EXPECT_EQ(m_questions, std::vector<std::string>{});

    goTo(0, 1);
    type("5");
    key(GetFocus(), VK_RETURN);
    for (const bool form : {false, true}) {
        SCOPED_TRACE(form ? "Form1" : "penstock window");
        m_answer = SaveAnswer::Cancel;
        m_questions.clear();
        SendMessageW(form ? m_form->window() : window(), WM_CLOSE, 0, 0);
        EXPECT_EQ(m_questions, std::vector<std::string>{"是否保存对“三号 管线.penstock”的更改？"});
        EXPECT_NE(m_form->penstockWindow(), nullptr);
    }
    // Ctrl+S in the penstock window, a cell still in its edit, saves the penstock with it (not
    // Form1's case, which would ask for a file); then Form1 closes without a question.
    goTo(0, 2);
    type("4");
    key(GetFocus(), 'S', true);
    const PenstockParse again = parsePenstock(fileBytes(path));
    EXPECT_EQ(again.texts.points.at(0)[PointKey::X], "5");
    EXPECT_EQ(again.texts.points.at(0)[PointKey::Z], "4");
    m_questions.clear();
    SendMessageW(m_form->window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(m_questions, std::vector<std::string>{});
    EXPECT_EQ(m_form->window(), nullptr);
    KillTimer(nullptr, timer);
    g_answer = nullptr;
    EXPECT_EQ(answer.shown, 2);
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
}

// At 96 and at 192 dpi every column of both tables is as wide as its widest text and its
// caption in the table's font (9 pt at that DPI), with a cell's margins of about 6 pixels a
// side at 96 dpi; the drawing fills its area.
TEST_F(PenstockWindowTest, EachColumnHoldsItsWidestTextAtEachDpi) {
    SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const HWND opened = open();
    ASSERT_NE(opened, nullptr);
    ASSERT_EQ(static_cast<int>(GetDpiForWindow(opened)), 96);
    for (const int dpi : {96, 192}) {
        SCOPED_TRACE(dpi);
        if (dpi != 96) {
            RECT suggested{0, 0, twipsToPixels(kPenstockClientWidth, dpi) + 40,
                           twipsToPixels(kPenstockClientHeight, dpi) + 80};
            SendMessageW(opened, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&suggested));
        }
        const struct {
            HWND table;
            std::span<const TableColumn> columns;
        } tables[] = {{profile(), profileColumns()}, {results(), resultColumns()}};
        for (const auto& t : tables) {
            const auto font = reinterpret_cast<HFONT>(SendMessageW(t.table, WM_GETFONT, 0, 0));
            LOGFONTW logical{};
            GetObjectW(font, sizeof logical, &logical);
            EXPECT_EQ(logical.lfHeight, -MulDiv(90, dpi, 720));
            HDC dc = GetDC(t.table);
            const HGDIOBJ old = SelectObject(dc, font);
            for (size_t c = 0; c < t.columns.size(); ++c) {
                SCOPED_TRACE(std::string(t.columns[c].caption));
                LONG widest = 0;
                for (const std::string_view text : {t.columns[c].widest, t.columns[c].caption}) {
                    const std::wstring wide = widen(text);
                    SIZE size{};
                    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
                    widest = std::max(widest, size.cx);
                }
                EXPECT_GT(widest, 0);
                EXPECT_GE(SendMessageW(t.table, LVM_GETCOLUMNWIDTH, c, 0),
                          widest + MulDiv(12, dpi, 96));
            }
            SelectObject(dc, old);
            ReleaseDC(t.table, dc);
        }
        RECT drawing{};
        GetWindowRect(GetDlgItem(opened, kDrawingId), &drawing);
        EXPECT_EQ(drawing.right - drawing.left, twipsToPixels(kDrawingArea.width, dpi));
        EXPECT_EQ(drawing.bottom - drawing.top, twipsToPixels(kDrawingArea.height, dpi));
    }
}

}  // namespace
}  // namespace tavorin::win32
