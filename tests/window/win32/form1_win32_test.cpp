// The Win32 window's parts inside one process, under Wine: the text edge, the face
// chosen, the file dialogs' filters, the field store on real child windows, the task dialog
// of the question about unsaved changes, and Form1 after a DPI change, the tooltips of the
// result boxes, the check dialog's widest results at 96 and 192 dpi, the DPI on the systems
// before Windows 10, with its menu's keys, a dropped file, the notice of a save, the sheet
// handed to the browser for printing, and the question on closing and on 新建.
#include <gtest/gtest.h>
#include <windows.h>
// the headers below need windows.h first
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>  // DROPFILES

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "sheet/case_file.h"
#include "tests/check_example.h"
#include "window/check_dialog.h"
#include "window/control_table.h"
#include "window/file_menu.h"
#include "window/win32/control_store.h"
#include "window/win32/dpi.h"
#include "window/win32/file_dialog.h"
#include "window/win32/fonts.h"
#include "window/win32/form1.h"
#include "window/win32/save_question.h"
#include "window/win32/text.h"

namespace tavorin::win32 {
namespace {

// The menu identifier of the entry of 文件 that runs `command`.
int entryId(FileCommand command) {
    const auto entries = fileMenu();
    for (size_t index = 0; index < entries.size(); ++index) {
        if (entries[index].command == command) return kFirstFileCommandId + static_cast<int>(index);
    }
    ADD_FAILURE() << "no entry of the command";
    return 0;
}

TEST(Text, ConvertsBetweenUtf8AndUtf16) {
    const struct {
        std::string utf8;
        std::wstring utf16;
    } rows[] = {
        {"", L""},
        {"计  算", L"\u8ba1  \u7b97"},
        {"水平转角（度）", L"\u6c34\u5e73\u8f6c\u89d2\uff08\u5ea6\uff09"},
        {"温度升高时合计∑a ", L"\u6e29\u5ea6\u5347\u9ad8\u65f6\u5408\u8ba1\u2211a "},
        {"\xF0\x9F\x98\x80", L"\xD83D\xDE00"},  // beyond the BMP: a surrogate pair
    };
    for (const auto& row : rows) {
        EXPECT_EQ(widen(row.utf8), row.utf16) << row.utf8;
        EXPECT_EQ(narrow(row.utf16), row.utf8) << row.utf8;
    }
    // What is not UTF-8 or not UTF-16 becomes U+FFFD instead of being dropped.
    EXPECT_EQ(widen("a\xFF"
                    "b"),
              L"a\xFFFD"
              L"b");
    EXPECT_EQ(narrow(std::wstring(L"a\xD800"
                                  L"b")),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(FileDialog, FiltersInTheDialogsNotation) {
    using namespace std::string_literals;
    const struct {
        std::string_view filter;
        std::wstring dialog;
    } rows[] = {
        {"算例文件 (*.json);;所有文件 (*)",
         L"\u7b97\u4f8b\u6587\u4ef6 (*.json)\0*.json\0\u6240\u6709\u6587\u4ef6 (*)\0*.*\0\0"s},
        {"计算书 (*.html)", L"\u8ba1\u7b97\u4e66 (*.html)\0*.html\0\0"s},
        {"网页 (*.html *.htm)", L"\u7f51\u9875 (*.html *.htm)\0*.html;*.htm\0\0"s},
        {"无后缀", L"\u65e0\u540e\u7f00\0*.*\0\0"s},
        {"", L"\0"s},
    };
    for (const auto& row : rows) EXPECT_EQ(dialogFilter(row.filter), row.dialog) << row.filter;
    // Every entry of the menu that has a filter gets one the dialog can show.
    for (const FileMenuEntry& entry : fileMenu()) {
        // 稳定验算… and 打印… open no file dialog.
        if (entry.filter.empty()) continue;
        const std::wstring filter = dialogFilter(entry.filter);
        EXPECT_TRUE(filter.ends_with(L"\0\0"s)) << entry.caption;
        EXPECT_NE(filter.find(L"*" + widen(entry.suffix)), std::wstring::npos) << entry.caption;
    }
}

TEST(Fonts, TheSessionOffersAChineseFace) {
    // Under the Wine session the font replacements make SimSun available.
    const std::vector<std::string> faces = installedChineseFaces();
    EXPECT_FALSE(chooseFace(faces, faces).empty());
}

class ChildWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        m_parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                   nullptr, nullptr);
        ASSERT_NE(m_parent, nullptr);
        m_box = child(L"EDIT", CBS_AUTOHSCROLL);
        m_list = child(L"COMBOBOX", CBS_DROPDOWN);
        m_label = child(L"STATIC", SS_LEFT);
        m_store.add("HSt", ControlKind::TextBox, m_box);
        m_store.add("kj", ControlKind::ChoiceList, m_list);
        m_store.add("Label25", ControlKind::Label, m_label);
    }
    void TearDown() override { DestroyWindow(m_parent); }
    HWND child(const wchar_t* className, DWORD style) {
        return CreateWindowExW(0, className, L"", WS_CHILD | style, 0, 0, 80, 80, m_parent, nullptr,
                               nullptr, nullptr);
    }

    HWND m_parent = nullptr;
    HWND m_box = nullptr;
    HWND m_list = nullptr;
    HWND m_label = nullptr;
    ControlStore m_store;
};

TEST_F(ChildWindows, TextsGoToBoxesAndListsCaptionsToLabelsOnly) {
    std::string text = "unchanged";
    EXPECT_TRUE(m_store.replaceText("HSt", "152.5 米"));
    EXPECT_TRUE(m_store.readText("HSt", text));
    EXPECT_EQ(text, "152.5 米");
    EXPECT_TRUE(m_store.replaceText("kj", "abc"));
    EXPECT_TRUE(m_store.readText("kj", text));
    EXPECT_EQ(text, "abc");
    EXPECT_TRUE(m_store.setCaption("Label25", "计算结果:"));
    EXPECT_EQ(windowText(m_label), "计算结果:");

    // The wrong kind or an unknown name fails, and leaves the text as it was.
    text = "unchanged";
    EXPECT_FALSE(m_store.readText("Label25", text));
    EXPECT_FALSE(m_store.replaceText("Label25", "x"));
    EXPECT_FALSE(m_store.setCaption("HSt", "x"));
    EXPECT_FALSE(m_store.readText("x1", text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(windowText(m_box), "152.5 米");
    EXPECT_EQ(windowText(m_label), "计算结果:");
}

TEST_F(ChildWindows, ABoxThatIsGoneFails) {
    DestroyWindow(m_box);
    std::string text;
    EXPECT_FALSE(m_store.readText("HSt", text));
    EXPECT_FALSE(m_store.replaceText("HSt", "1"));
}

TEST_F(ChildWindows, AnEmptyTextAndALongOneSurvive) {
    const std::string long_text(40000, '7');  // beyond an edit box's default 32767 limit
    SendMessageW(m_box, EM_SETLIMITTEXT, 0, 0);
    EXPECT_TRUE(m_store.replaceText("HSt", long_text));
    std::string text;
    EXPECT_TRUE(m_store.readText("HSt", text));
    EXPECT_EQ(text, long_text);
    EXPECT_TRUE(m_store.replaceText("HSt", ""));
    EXPECT_TRUE(m_store.readText("HSt", text));
    EXPECT_EQ(text, "");
}

// Where a control of the table stands in Form1's client area.
RECT placeOf(HWND form, std::string_view name) {
    const ControlSpec* c = findControl(name);
    HWND control = GetDlgItem(form, kFirstControlId + static_cast<int>(c - controlTable().data()));
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int fontHeight(HWND form, std::string_view name) {
    const ControlSpec* c = findControl(name);
    HWND control = GetDlgItem(form, kFirstControlId + static_cast<int>(c - controlTable().data()));
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return font.lfHeight;
}

TEST(Form1, FollowsADpiChange) {
    // As tavorin.exe's manifest declares; otherwise the system scales the test's
    // coordinates for it.
    SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    auto form = Form1::create(GetModuleHandleW(nullptr));
    ASSERT_NE(form, nullptr);
    const HWND window = form->window();
    const int dpi = static_cast<int>(GetDpiForWindow(window));
    ASSERT_EQ(dpi, 96);
    EXPECT_EQ(fontHeight(window, "HSt"), -12);      // 9 pt
    EXPECT_EQ(fontHeight(window, "a11text"), -14);  // 10.5 pt
    EXPECT_EQ(fontHeight(window, "Label24"), -16);  // 12 pt

    for (int newDpi : {144, 192, 96}) {
        SCOPED_TRACE(newDpi);
        // The system suggests where the window goes; it fits the session's 1280 × 1024 screen.
        RECT suggested{10, 20, 10 + 900 + newDpi, 20 + 700 + newDpi};
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi),
                     reinterpret_cast<LPARAM>(&suggested));
        for (const ControlSpec& c : controlTable()) {
            if (c.kind == ControlKind::MenuEntry) continue;
            SCOPED_TRACE(std::string(c.name));
            const RECT r = placeOf(window, c.name);
            EXPECT_EQ(r.left, twipsToPixels(c.left, newDpi));
            EXPECT_EQ(r.top, twipsToPixels(c.top, newDpi));
            EXPECT_EQ(r.right - r.left, twipsToPixels(c.width, newDpi));
            if (c.kind != ControlKind::ChoiceList) {
                EXPECT_EQ(r.bottom - r.top, twipsToPixels(c.height, newDpi));
            }
        }
        EXPECT_EQ(fontHeight(window, "HSt"), -MulDiv(90, newDpi, 720));
        EXPECT_EQ(fontHeight(window, "Label25"), -MulDiv(120, newDpi, 720));
        RECT frame{};
        GetWindowRect(window, &frame);
        EXPECT_EQ(frame.left, suggested.left);
        EXPECT_EQ(frame.right - frame.left, suggested.right - suggested.left);
    }
}

// The windows of this thread that `owner` owns: its check dialog and its tooltips.
std::vector<HWND> ownedBy(HWND owner) {
    struct Search {
        HWND owner;
        std::vector<HWND> found;
    } search{owner, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            if (GetWindow(window, GW_OWNER) == s.owner) s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// The check dialog of Form1, shown or not.
HWND checkDialogOf(HWND form) {
    for (HWND window : ownedBy(form)) {
        if (classOf(window) == L"TavorinCheckDialog") return window;
    }
    return nullptr;
}

// The control of `name` in a window built from `table`.
HWND controlOf(HWND window, std::span<const ControlSpec> table, std::string_view name) {
    const ControlSpec* c = findControlIn(table, name);
    return c == nullptr ? nullptr
                        : GetDlgItem(window, kFirstControlId + static_cast<int>(c - table.data()));
}

// The tooltip of a window's result boxes: of its tooltips, the one with a tool per box.
HWND textTipsOf(HWND window, int boxes) {
    for (HWND owned : ownedBy(window)) {
        if (classOf(owned) == TOOLTIPS_CLASSW &&
            SendMessageW(owned, TTM_GETTOOLCOUNT, 0, 0) == boxes) {
            return owned;
        }
    }
    return nullptr;
}

// The text the tooltip `tips` of `window` shows for `box` now.
std::string tipOf(HWND tips, HWND window, HWND box) {
    std::wstring text(1024, L'\0');  // as much as a tooltip holds
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(box);
    tool.lpszText = text.data();
    SendMessageW(tips, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
    return narrow(text.c_str());
}

// Hovering over a result box of Form1 or the check dialog shows its whole text, whether the
// check wrote it or the user typed it; an empty box shows none.
TEST(Form1, EachResultBoxCarriesItsWholeTextAsItsTip) {
    auto form = Form1::create(GetModuleHandleW(nullptr));
    ASSERT_NE(form, nullptr);
    std::vector<std::string> messages;
    form->setReporter([&](const std::string& message) { messages.push_back(message); });
    const HWND window = form->window();
    const HWND dialog = checkDialogOf(window);
    ASSERT_NE(dialog, nullptr);
    // 验  算 on the worked example: the calculation, then the check.
    for (const auto& [name, text] : kCheckExampleInputs) {
        SetWindowTextW(controlOf(dialog, checkDialogTable(), name), widen(text).c_str());
    }
    const HWND check = controlOf(dialog, checkDialogTable(), "Command2");
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(check), BN_CLICKED),
                 reinterpret_cast<LPARAM>(check));
    EXPECT_TRUE(messages.empty());
    const struct {
        const char* what;
        HWND window;
        std::span<const ControlSpec> table;
        int boxes;
    } rows[] = {{"Form1", window, controlTable(), 30},
                {"check dialog", dialog, checkDialogTable(), 35}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const HWND tips = textTipsOf(row.window, row.boxes);
        ASSERT_NE(tips, nullptr);
        int written = 0;
        for (const ControlSpec& c : row.table) {
            if (!showsTextAsTip(c)) continue;
            SCOPED_TRACE(std::string(c.name));
            const HWND box = controlOf(row.window, row.table, c.name);
            EXPECT_EQ(tipOf(tips, row.window, box), windowText(box));
            written += !windowText(box).empty();
        }
        EXPECT_GT(written, 10);
    }
    EXPECT_EQ(tipOf(textTipsOf(window, 30), window, controlOf(window, controlTable(), "x1")),
              "77.5667185956496");
    // Typed, the tip is the new text; emptied, there is none.
    const HWND tips = textTipsOf(window, 30);
    const HWND x1 = controlOf(window, controlTable(), "x1");
    SetWindowTextW(x1, L"");
    for (wchar_t typed : std::wstring_view(L"-1.23456789012346E+15")) {
        SendMessageW(x1, WM_CHAR, typed, 1);
    }
    EXPECT_EQ(tipOf(tips, window, x1), "-1.23456789012346E+15");
    SetWindowTextW(x1, L"");
    EXPECT_EQ(tipOf(tips, window, x1), "");
}

// At 100 % and at 200 %, the check dialog fits its screen and each result box shows the
// widest text the check writes into it whole, measured in the box's font against its client
// area less its margins.
TEST(CheckDialog, TheWidestResultsFitTheirBoxesAtEachDpi) {
    SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    auto form = Form1::create(GetModuleHandleW(nullptr));
    ASSERT_NE(form, nullptr);
    const HWND window = form->window();
    const HWND dialog = checkDialogOf(window);
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(static_cast<int>(GetDpiForWindow(window)), 96);
    const struct {
        int dpi;
        LONG screenWidth, screenHeight;
    } rows[] = {{96, 1280, 800}, {192, 2560, 1600}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dpi);
        if (row.dpi != 96) {
            RECT suggested{0, 0, twipsToPixels(kClientWidth, row.dpi) + 40,
                           twipsToPixels(kClientHeight, row.dpi) + 80};
            SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(row.dpi, row.dpi),
                         reinterpret_cast<LPARAM>(&suggested));
        }
        RECT frame{};
        GetWindowRect(dialog, &frame);
        EXPECT_LE(frame.right - frame.left, row.screenWidth);
        EXPECT_LE(frame.bottom - frame.top, row.screenHeight);
        int boxes = 0;
        for (const FieldSpec& f : checkFieldTable()) {
            if (f.role != FieldRole::Output) continue;
            ++boxes;
            const std::wstring text = widen(widestCheckText(f.name));
            SCOPED_TRACE(std::string(f.name) + " \"" + narrow(text) + "\"");
            const HWND box = controlOf(dialog, checkDialogTable(), f.name);
            ASSERT_NE(box, nullptr);
            SetWindowTextW(box, text.c_str());
            HDC dc = GetDC(box);
            const HGDIOBJ old =
                SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            SelectObject(dc, old);
            ReleaseDC(box, dc);
            RECT client{};
            GetClientRect(box, &client);
            const auto margins = static_cast<DWORD>(SendMessageW(box, EM_GETMARGINS, 0, 0));
            EXPECT_LE(size.cx, client.right - LOWORD(margins) - HIWORD(margins));
            EXPECT_GT(size.cx, 0);
        }
        EXPECT_EQ(boxes, 35);
    }
}

// Each system's route to the DPI, on the session's 96-dpi screen: Windows 10 (every
// function), 8.1 (shcore.dll only), 7 (none), and a function that answers nothing.
TEST(Dpi, EveryRouteFindsTheScreensDpiAndTheSameFrame) {
    const DpiFunctions& system = systemDpiFunctions();
    ASSERT_NE(system.getDpiForWindow, nullptr) << "Wine has the Windows 10 functions";
    const DpiFunctions windows7;
    DpiFunctions windows81;
    windows81.getDpiForMonitor = system.getDpiForMonitor;
    DpiFunctions failing;
    failing.getDpiForWindow = [](HWND) -> UINT { return 0; };
    failing.adjustWindowRectExForDpi = [](RECT*, DWORD, BOOL, DWORD, UINT) -> BOOL {
        return FALSE;
    };
    DpiFunctions at144;
    at144.getDpiForWindow = [](HWND) -> UINT { return 144; };
    const struct {
        const char* system;
        const DpiFunctions& functions;
        int dpi;
    } rows[] = {
        {"Windows 10", system, 96},         {"Windows 8.1", windows81, 96},
        {"Windows 7", windows7, 96},        {"answers nothing", failing, 96},
        {"per-monitor at 144", at144, 144},
    };
    const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                        nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    constexpr DWORD style = WS_OVERLAPPEDWINDOW;
    RECT expected{0, 0, 780, 638};
    ASSERT_TRUE(AdjustWindowRectEx(&expected, style, TRUE, 0));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.system);
        EXPECT_EQ(windowDpi(window, row.functions), row.dpi);
        RECT frame{0, 0, 780, 638};
        adjustWindowRect(frame, style, true, 0, 96, row.functions);
        EXPECT_EQ(frame.left, expected.left);
        EXPECT_EQ(frame.top, expected.top);
        EXPECT_EQ(frame.right, expected.right);
        EXPECT_EQ(frame.bottom, expected.bottom);
    }
    DestroyWindow(window);
}

// An exception escaping a command or an entry of "文件" is shown, and every box and caption
// keeps its text; the window goes on.
TEST(Form1, AHandlerThatThrowsLeavesTheWindowAsItWas) {
    auto form = Form1::create(GetModuleHandleW(nullptr));
    ASSERT_NE(form, nullptr);
    const HWND window = form->window();
    std::vector<std::string> messages;
    form->setReporter([&](const std::string& message) { messages.push_back(message); });
    const auto rowOf = [](std::string_view name) {
        return static_cast<int>(findControl(name) - controlTable().data());
    };
    const auto texts = [&] {
        std::vector<std::string> all;
        for (const ControlSpec& c : controlTable()) {
            if (c.kind == ControlKind::MenuEntry) continue;
            all.push_back(windowText(GetDlgItem(window, kFirstControlId + rowOf(c.name))));
        }
        return all;
    };
    const HWND button = GetDlgItem(window, kFirstControlId + rowOf("Command1"));
    const struct {
        WPARAM command;
        LPARAM from;
        const char* trapAt;  // the control whose access throws, after others were changed
    } rows[] = {
        {MAKEWPARAM(kFirstControlId + rowOf("Command1"), BN_CLICKED),
         reinterpret_cast<LPARAM>(button), "x2"},
        {MAKEWPARAM(kFirstControlId + rowOf("bb"), 0), 0, "Label52"},
        // Each entry of "文件" first reads Text1 (新建 and 打开… to see whether the case
        // changed, the others to offer its name), before any question or dialog.
        {MAKEWPARAM(entryId(FileCommand::New), 0), 0, "Text1"},
        {MAKEWPARAM(entryId(FileCommand::Open), 0), 0, "Text1"},
        {MAKEWPARAM(entryId(FileCommand::Save), 0), 0, "Text1"},
        {MAKEWPARAM(entryId(FileCommand::SaveAs), 0), 0, "Text1"},
        {MAKEWPARAM(entryId(FileCommand::ExportSheet), 0), 0, "Text1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.trapAt);
        messages.clear();
        const auto before = texts();
        form->setStoreTrap([&](std::string_view name) {
            if (name == row.trapAt) throw std::runtime_error("trap");
        });
        SendMessageW(window, WM_COMMAND, row.command, row.from);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], "程序内部出错（trap），这次操作没有完成；窗口中的内容保持原样。");
        EXPECT_EQ(texts(), before);
        form->setStoreTrap({});
    }
    // The window still calculates.
    messages.clear();
    SendMessageW(window, WM_COMMAND, rows[0].command, rows[0].from);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(windowText(GetDlgItem(window, kFirstControlId + rowOf("Label25"))), "计算结果:");
}

TEST(Form1, TheFileMenuShowsEachEntrysKeys) {
    auto form = Form1::create(GetModuleHandleW(nullptr));
    ASSERT_NE(form, nullptr);
    // No 导出 PDF… without the toolkit's PDF writer: its index is skipped. The penstock's
    // entries of 文件 have no keys; 管线计算… under 管线 has Ctrl+L.
    const struct {
        int menu;                                             // on the menu bar
        std::vector<std::pair<const wchar_t*, int>> entries;  // text, index in fileMenu()
    } menus[] = {
        {0,
         {{L"新建\tCtrl+N", 0},
          {L"打开…\tCtrl+O", 1},
          {L"保存\tCtrl+S", 2},
          {L"另存为…\tCtrl+Shift+S", 3},
          {L"导出计算书…\tCtrl+E", 4},
          {L"打印…\tCtrl+P", 6},
          {L"新建管线", 7},
          {L"打开管线…", 8},
          {L"保存管线", 9},
          {L"管线另存为…", 10}}},
        {2, {{L"管线计算…\tCtrl+L", 12}}},
    };
    for (const auto& row : menus) {
        SCOPED_TRACE(row.menu);
        const HMENU menu = GetSubMenu(GetMenu(form->window()), row.menu);
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(row.entries.size()));
        for (int position = 0; position < GetMenuItemCount(menu); ++position) {
            const auto& [expected, index] = row.entries[static_cast<size_t>(position)];
            wchar_t text[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(position), text, 64, MF_BYPOSITION);
            EXPECT_STREQ(text, expected);
            EXPECT_EQ(GetMenuItemID(menu, position),
                      static_cast<UINT>(kFirstFileCommandId + index));
        }
    }
}

// Runs the thread's messages as tavorin.exe's loop does, for `limit` or until `done`.
template <class Done>
bool pumpUntil(Form1& form, Done done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (form.preTranslate(message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// A drop of `path` as the shell hands it over: DROPFILES and the wide names, at `at`.
HDROP dropOf(const std::wstring& path, POINT at) {
    const size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = at;
    drop->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(drop + 1);
    std::copy(path.begin(), path.end(), names);  // then the two NULs of GHND's zeros
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::wstring tempFile(const wchar_t* name, std::string_view bytes) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name;
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (out != nullptr) {
        fwrite(bytes.data(), 1, bytes.size(), out);
        fclose(out);
    }
    return path;
}

// A file dragged over the window or any of its boxes opens as 打开… opens it, after the
// question about the changed boxes (answered 不保存); one that is no case shows its message
// and changes no box. Then 保存 (its key) writes the dropped file without asking, and a
// notice says so for a few seconds.
TEST(Form1, ADroppedFileOpensAndIsSavedAgainWithoutAsking) {
    auto form = Form1::create(GetModuleHandleW(nullptr));
    ASSERT_NE(form, nullptr);
    form->show(SW_SHOWNOACTIVATE);
    const HWND window = form->window();
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    std::vector<std::string> messages;
    form->setReporter([&](const std::string& message) { messages.push_back(message); });
    std::vector<std::string> questions;
    form->setSaveQuestion([&](const std::string& question) {
        questions.push_back(question);
        return SaveAnswer::Discard;
    });
    const auto box = [&](std::string_view name) {
        return GetDlgItem(
            window, kFirstControlId + static_cast<int>(findControl(name) - controlTable().data()));
    };
    const std::wstring good =
        tempFile(L"拖入 算例.tavorin", "{\"Text1\":\"3号镇墩\",\"HSt\":\"152.5\"}");
    const std::wstring bad = tempFile(L"拖入 坏.tavorin", "{\"x1\":\"1\"}");
    const std::string badMessage = openCaseFile(narrow(bad)).error;
    ASSERT_FALSE(badMessage.empty());
    RECT hst{};
    GetWindowRect(box("HSt"), &hst);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&hst), 2);
    const POINT overHst{hst.left + 2, hst.top + 2};
    const struct {
        const char* what;
        const char* target;  // the window the drop is posted to: Form1 or a box
        POINT at;
    } rows[] = {
        {"over the window", "", {4, 4}},
        {"over a box, to the window", "", overHst},
        {"to a box", "HSt", {2, 2}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const HWND target = *row.target ? box(row.target) : window;
        SetWindowTextW(box("Text1"), L"Text1");
        SetWindowTextW(box("HSt"), L"160");
        // Each drop asks: the bad file left the changes.
        const std::string name = &row == &rows[0] ? "Text1" : "拖入 算例.tavorin";
        const std::vector<std::string> asked(2, "是否保存对“" + name + "”的更改？");
        questions.clear();
        messages.clear();
        PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf(bad, row.at)), 0);
        pumpUntil(
            *form, [&] { return !messages.empty(); }, std::chrono::seconds(2));
        EXPECT_EQ(messages, std::vector<std::string>{badMessage});
        EXPECT_EQ(windowText(box("Text1")), "Text1");
        EXPECT_EQ(windowText(box("HSt")), "160");

        messages.clear();
        PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf(good, row.at)), 0);
        EXPECT_TRUE(pumpUntil(
            *form, [&] { return windowText(box("HSt")) == "152.5"; }, std::chrono::seconds(2)));
        EXPECT_EQ(windowText(box("Text1")), "3号镇墩");
        EXPECT_EQ(windowText(box("spjText")), "0") << "a box the case does not name: its default";
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(questions, asked);
    }

    // Ctrl+S's command, as the accelerator sends it. Were a dialog to ask, a timer would
    // cancel it and the test fail.
    static bool asked = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 500, [](HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND dialog, LPARAM) -> BOOL {
                wchar_t name[16] = {};
                GetClassNameW(dialog, name, 16);
                if (std::wstring_view(name) == L"#32770") {
                    asked = true;
                    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                }
                return TRUE;
            },
            0);
    });
    RECT frame{};
    GetWindowRect(window, &frame);
    SetWindowTextW(box("HSt"), L"99.5");
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(entryId(FileCommand::Save), 1), 0);
    KillTimer(nullptr, timer);
    EXPECT_FALSE(asked);
    EXPECT_TRUE(messages.empty());
    const CaseParse saved = openCaseFile(narrow(good));
    EXPECT_NE(std::find(saved.texts.begin(), saved.texts.end(),
                        std::pair<std::string, std::string>{"HSt", "99.5"}),
              saved.texts.end());
    EXPECT_EQ(form->notice(), "已保存到“拖入 算例.tavorin”。");
    // In the lower right of the client area; the window's caption and frame as they were.
    HWND tip = nullptr;
    do {
        tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr);
    } while (tip != nullptr && GetWindow(tip, GW_OWNER) != window);
    ASSERT_NE(tip, nullptr);
    EXPECT_TRUE(IsWindowVisible(tip));
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    RECT shown{};
    GetWindowRect(tip, &shown);
    EXPECT_LE(shown.right, client.right);
    EXPECT_LE(shown.bottom, client.bottom);
    EXPECT_GT(shown.left, (client.left + client.right) / 2);
    EXPECT_GT(shown.top, (client.top + client.bottom) / 2);
    EXPECT_EQ(windowText(window), "Form1");
    RECT after{};
    GetWindowRect(window, &after);
    EXPECT_TRUE(EqualRect(&frame, &after));
    // It goes by itself after about three seconds.
    EXPECT_FALSE(pumpUntil(
        *form, [&] { return form->notice().empty(); }, std::chrono::milliseconds(2000)));
    EXPECT_TRUE(pumpUntil(
        *form, [&] { return form->notice().empty(); }, std::chrono::milliseconds(3000)));
    EXPECT_FALSE(IsWindowVisible(tip));
    DeleteFileW(good.c_str());
    DeleteFileW(bad.c_str());
}

// Ctrl+P, through the window's accelerators, hands the sheet of the boxes to the browser in
// a file that asks for the print dialog itself; what stops it is reported, and only success
// is told by the notice.
TEST(Form1, CtrlPGivesTheSheetToTheBrowser) {
    auto form = Form1::create(GetModuleHandleW(nullptr));
    ASSERT_NE(form, nullptr);
    form->show(SW_SHOWNOACTIVATE);
    const HWND window = form->window();
    SetWindowTextW(GetDlgItem(window, kFirstControlId + static_cast<int>(findControl("Text1") -
                                                                         controlTable().data())),
                   L"打印的镇墩");
    std::vector<std::string> messages;
    form->setReporter([&](const std::string& message) { messages.push_back(message); });
    wchar_t tmp[MAX_PATH] = {};
    const wchar_t* session = GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH) > 0 ? tmp : nullptr;
    const std::string refused = "浏览器没有打开";
    const struct {
        const char* what;
        const wchar_t* tmp;  // the temporary folder, or null for the session's
        bool opens;          // the browser takes the file
        bool reaches;        // the browser is asked
    } rows[] = {
        {"no browser", nullptr, false, true},
        {"no temporary folder", L"C:\\tavorin no such folder\\", true, false},
        {"printed", nullptr, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetEnvironmentVariableW(L"TMP", row.tmp != nullptr ? row.tmp : session);
        messages.clear();
        std::wstring given;
        form->setBrowser([&](const std::wstring& path) {
            given = path;
            return row.opens ? std::string() : refused;
        });
        // Ctrl held as the thread sees it, and P pressed in the window.
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        SetKeyboardState(keys);
        PostMessageW(window, WM_KEYDOWN, 'P', 1);
        pumpUntil(
            *form, [&] { return !messages.empty() || !form->notice().empty(); },
            std::chrono::seconds(5));
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        EXPECT_EQ(!given.empty(), row.reaches);
        if (!row.reaches) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_NE(messages[0].find("tavorin no such folder"), std::string::npos) << messages[0];
        } else if (!row.opens) {
            EXPECT_EQ(messages, std::vector<std::string>{refused});
        } else {
            EXPECT_TRUE(messages.empty());
            EXPECT_EQ(form->notice(), "计算书已在浏览器中打开，请在那里打印。");
        }
        EXPECT_EQ(form->notice().empty(), !row.opens || !row.reaches);
        if (given.empty()) continue;
        const FileRead read = readFile(narrow(given));
        ASSERT_EQ(read.error, "");
        const std::string& page = read.bytes;
        DeleteFileW(given.c_str());
        EXPECT_TRUE(
            page.starts_with("<!DOCTYPE html>\n<!-- saved from url=(0014)about:internet "
                             "-->\n<html"));
        const size_t script = page.find("window.print()");
        EXPECT_LT(script, page.rfind("</body>"));
        EXPECT_NE(page.find("打印的镇墩"), std::string::npos) << "not the sheet of the boxes";
    }
    SetEnvironmentVariableW(L"TMP", session);
}

// What a timer found in the dialog of this thread, and what it did to it.
struct DialogProbe {
    std::function<void(HWND dialog)> act;
    std::string title;
    std::vector<std::string> texts;    // of its visible static controls
    std::vector<std::string> buttons;  // of its visible buttons
};
DialogProbe* g_probe = nullptr;

// Finds the dialog of this thread, reads it into *g_probe and acts on it, once.
void CALLBACK probeDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            if (windowText(window).empty() || !IsWindowVisible(window)) return TRUE;
            wchar_t name[16] = {};
            GetClassNameW(window, name, 16);
            if (std::wstring_view(name) != L"#32770") return TRUE;
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr || g_probe == nullptr) return;
    KillTimer(nullptr, timer);
    g_probe->title = windowText(dialog);
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(child, name, 16);
            if (!IsWindowVisible(child) || windowText(child).empty()) return TRUE;
            if (lstrcmpiW(name, L"Button") == 0) g_probe->buttons.push_back(windowText(child));
            if (lstrcmpiW(name, L"Static") == 0) g_probe->texts.push_back(windowText(child));
            return TRUE;
        },
        0);
    g_probe->act(dialog);
}

// The question as the system's task dialog: titled Tavorin, the question, the buttons 保存,
// 不保存 and 取消, each with its answer; Enter is 保存, Esc and closing are 取消.
TEST(SaveQuestion, TheTaskDialogHasTheThreeButtonsInChinese) {
    // A quit left by a window destroyed before would end the dialog's loop at once.
    MSG left{};
    while (PeekMessageW(&left, nullptr, 0, 0, PM_REMOVE)) {
    }
    const HWND owner = CreateWindowExW(0, L"STATIC", L"Form1", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                                       nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    const auto key = [](WPARAM key) {
        return [key](HWND dialog) {
            HWND focus = GetFocus();
            PostMessageW(focus != nullptr ? focus : dialog, WM_KEYDOWN, key, 0);
        };
    };
    const auto click = [](SaveAnswer answer) {
        return [answer](HWND dialog) {
            PostMessageW(GetDlgItem(dialog, buttonIdOf(answer)), BM_CLICK, 0, 0);
        };
    };
    const struct {
        const char* what;
        std::function<void(HWND)> act;
        SaveAnswer answer;
    } rows[] = {
        {"保存", click(SaveAnswer::Save), SaveAnswer::Save},
        {"不保存", click(SaveAnswer::Discard), SaveAnswer::Discard},
        {"取消", click(SaveAnswer::Cancel), SaveAnswer::Cancel},
        {"Enter", key(VK_RETURN), SaveAnswer::Save},
        {"Esc", key(VK_ESCAPE), SaveAnswer::Cancel},
        {"closed", [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
         SaveAnswer::Cancel},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        DialogProbe probe{row.act, {}, {}, {}};
        g_probe = &probe;
        const UINT_PTR timer = SetTimer(nullptr, 0, 100, probeDialog);
        std::string error;
        EXPECT_EQ(askToSave(owner, "是否保存对“Text1”的更改？", error), row.answer);
        KillTimer(nullptr, timer);
        g_probe = nullptr;
        EXPECT_EQ(error, "");
        EXPECT_EQ(probe.title, "Tavorin");
        EXPECT_NE(std::find(probe.texts.begin(), probe.texts.end(), "是否保存对“Text1”的更改？"),
                  probe.texts.end())
            << ::testing::PrintToString(probe.texts);
        EXPECT_EQ(probe.buttons, (std::vector<std::string>{"保存", "不保存", "取消"}));
    }
    DestroyWindow(owner);
}

// Closing the window and 新建 (Ctrl+N, through the accelerators) on a case unchanged since
// the window opened (a calculation changes nothing) and on a changed one, with the answers
// 取消 and 不保存.
TEST(Form1, ClosingAndNewAskOnlyAboutAChangedCase) {
    const struct {
        const char* what;
        bool close;  // or 新建
        const wchar_t* hst;
        SaveAnswer reply;
        bool asks;
        bool goesOn;
    } rows[] = {
        {"close, unchanged", true, L"152", SaveAnswer::Cancel, false, true},
        {"close, 取消", true, L"99", SaveAnswer::Cancel, true, false},
        {"close, 不保存", true, L"99", SaveAnswer::Discard, true, true},
        {"新建, unchanged", false, L"152", SaveAnswer::Cancel, false, true},
        {"新建, 取消", false, L"99", SaveAnswer::Cancel, true, false},
        {"新建, 不保存", false, L"99", SaveAnswer::Discard, true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        auto form = Form1::create(GetModuleHandleW(nullptr));
        ASSERT_NE(form, nullptr);
        form->show(SW_SHOWNOACTIVATE);
        const HWND window = form->window();
        const auto box = [&](std::string_view name) {
            return GetDlgItem(window, kFirstControlId + static_cast<int>(findControl(name) -
                                                                         controlTable().data()));
        };
        std::vector<std::string> questions;
        form->setSaveQuestion([&](const std::string& question) {
            questions.push_back(question);
            return row.reply;
        });
        SetWindowTextW(box("HSt"), row.hst);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box("Command1")), BN_CLICKED),
                     reinterpret_cast<LPARAM>(box("Command1")));
        ASSERT_NE(windowText(box("x1")), "");
        if (row.close) {
            SendMessageW(window, WM_CLOSE, 0, 0);
            EXPECT_EQ(form->window() == nullptr, row.goesOn);
        } else {
            BYTE keys[256] = {};
            GetKeyboardState(keys);
            keys[VK_CONTROL] = 0x80;
            SetKeyboardState(keys);
            PostMessageW(window, WM_KEYDOWN, 'N', 1);
            pumpUntil(
                *form, [&] { return !questions.empty() || windowText(box("x1")).empty(); },
                std::chrono::seconds(2));
            keys[VK_CONTROL] = 0;
            SetKeyboardState(keys);
            EXPECT_EQ(windowText(box("x1")).empty(), row.goesOn);
            EXPECT_EQ(windowText(box("HSt")), row.goesOn ? "152" : "99");
        }
        EXPECT_EQ(questions, row.asks ? std::vector<std::string>{"是否保存对“Text1”的更改？"}
                                      : std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace tavorin::win32
