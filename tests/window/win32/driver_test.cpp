// tavorin.exe driven from outside, as a user would: the driver starts the program, finds
// Form1 by its title and its controls by their identifiers, types, clicks, presses keys and
// reads every text back. The tests run in order on one window; those of a file named on
// the command line and of the keys start a fresh one each.
//   driver_test PATH\tavorin.exe [SCREENSHOT.bmp]
#include <gtest/gtest.h>
#include <initguid.h>  // the GUIDs of oleacc.h are defined in this file
#include <oleacc.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "engine/calculate.h"
#include "engine/check.h"
#include "engine/fields.h"
#include "sheet/case_file.h"
#include "tests/check_example.h"
#include "window/check_dialog.h"
#include "window/control_table.h"
#include "window/file_menu.h"
#include "window/penstock_window.h"
#include "window/version.h"
#include "window/win32/form1.h"
#include "window/win32/penstock_window.h"
#include "window/win32/text.h"

namespace tavorin::win32 {
namespace {

using Texts = std::map<std::string, std::string>;
using namespace std::chrono_literals;

std::wstring g_program;
std::wstring g_screenshot;

// Waits until `done` holds, for at most `limit`.
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 5000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// The text of a window of another process, through WM_GETTEXT.
std::string textOf(HWND window) {
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return narrow(text);
}

std::string classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return narrow(name);
}

size_t rowOf(std::string_view name) {
    const ControlSpec* c = findControl(name);
    EXPECT_NE(c, nullptr) << name;
    return c == nullptr ? 0 : static_cast<size_t>(c - controlTable().data());
}

// What the engine writes for the same inputs on a store in memory.
MemoryStore engineResults(const Texts& inputs, std::optional<Fault>* fault = nullptr) {
    MemoryStore store;
    for (const auto& [name, text] : inputs) store.replaceText(name, text);
    const std::optional<Fault> result = calculate(store);
    if (fault != nullptr) *fault = result;
    return store;
}

class Program {
  public:
    // Starts tavorin.exe, with `argument` (a case file) when one is given.
    bool start(const std::wstring& argument = {}) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring command = L"\"" + g_program + L"\"";
        if (!argument.empty()) command += L" \"" + argument + L"\"";
        if (!CreateProcessW(g_program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &m_process)) {
            return false;
        }
        WaitForInputIdle(m_process.hProcess, 10000);
        // Visible, with all its controls (every row but the menu entries).
        return waitFor(
            [this] {
                // Form1 of this process: another tavorin.exe may be running.
                m_form = nullptr;
                EnumThreadWindows(
                    m_process.dwThreadId,
                    [](HWND window, LPARAM found) -> BOOL {
                        if (classOf(window) != "TavorinForm1") return TRUE;
                        *reinterpret_cast<HWND*>(found) = window;
                        return FALSE;
                    },
                    reinterpret_cast<LPARAM>(&m_form));
                if (m_form == nullptr || !IsWindowVisible(m_form)) return false;
                int children = 0;
                for (HWND c = GetWindow(m_form, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                    ++children;
                }
                return children ==
                       static_cast<int>(std::count_if(
                           controlTable().begin(), controlTable().end(),
                           [](const ControlSpec& c) { return c.kind != ControlKind::MenuEntry; }));
            },
            20000ms);
    }
    void stop() {
        if (m_process.hProcess == nullptr) return;
        if (m_form != nullptr && IsWindow(m_form)) PostMessageW(m_form, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(m_process.hProcess, 10000) != WAIT_OBJECT_0) {
            TerminateProcess(m_process.hProcess, 1);
        }
        GetExitCodeProcess(m_process.hProcess, &m_exitCode);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
        m_process = {};
    }
    DWORD exitCode() const { return m_exitCode; }

    HWND form() const { return m_form; }
    DWORD thread() const { return m_process.dwThreadId; }
    HWND control(std::string_view name) const {
        return GetDlgItem(m_form, kFirstControlId + static_cast<int>(rowOf(name)));
    }
    std::string text(std::string_view name) const { return textOf(control(name)); }
    void setText(std::string_view name, std::string_view text) const {
        SendMessageW(control(name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(widen(text).c_str()));
    }
    void setTexts(const Texts& texts) const {
        for (const auto& [name, text] : texts) setText(name, text);
    }
    // Every box, list and label, by name.
    Texts allTexts() const {
        Texts texts;
        for (const ControlSpec& c : controlTable()) {
            if (c.kind != ControlKind::MenuEntry) texts[std::string(c.name)] = text(c.name);
        }
        return texts;
    }
    // The control that has the keyboard focus; a choice list for its field.
    HWND focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(thread(), &info)) return nullptr;
        HWND focus = info.hwndFocus;
        while (focus != nullptr && GetParent(focus) != m_form) focus = GetParent(focus);
        return focus;
    }
    std::string focusName() const {
        const HWND f = focus();
        const int row = f == nullptr ? -1 : GetDlgCtrlID(f) - kFirstControlId;
        if (row < 0 || static_cast<size_t>(row) >= controlTable().size()) return "(none)";
        return std::string(controlTable()[static_cast<size_t>(row)].name);
    }
    // Presses "计  算" and waits until the command has run.
    void calculate() const { SendMessageW(control("Command1"), BM_CLICK, 0, 0); }
    // The message box the program shows, or nullptr.
    HWND messageBox() const {
        HWND found = nullptr;
        EnumThreadWindows(
            thread(),
            [](HWND window, LPARAM result) -> BOOL {
                if (classOf(window) == "#32770" && IsWindowVisible(window)) {
                    *reinterpret_cast<HWND*>(result) = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

  private:
    PROCESS_INFORMATION m_process{};
    HWND m_form = nullptr;
    DWORD m_exitCode = STILL_ACTIVE;
};

Program g_tavorin;

// Real keystrokes through the system's input queue, to the foreground window.
void press(WORD key, bool shift = false, bool control = false) {
    std::vector<INPUT> inputs;
    const auto add = [&](WORD k, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = k;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    if (control) add(VK_CONTROL, false);
    if (shift) add(VK_SHIFT, false);
    add(key, false);
    add(key, true);
    if (shift) add(VK_SHIFT, true);
    if (control) add(VK_CONTROL, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The menu entry at `position` on the menu bar, clicked from the keyboard (F10, Right
// arrows, Enter). Wine keeps a menu's texts inside its process, so the driver cannot read
// them; the entries are found by their place.
void clickMenu(int position) {
    SetForegroundWindow(g_tavorin.form());
    press(VK_F10);
    for (int i = 0; i < position; ++i) press(VK_RIGHT);
    press(VK_RETURN);
    // Once a Tab has moved the focus, the keys before it have been handled.
    const HWND before = g_tavorin.focus();
    press(VK_TAB);
    waitFor([&] { return g_tavorin.focus() != before; }, 2000ms);
    press(VK_TAB, true);
    waitFor([&] { return g_tavorin.focus() == before; }, 2000ms);
}

// The place of the menu-bar row `name` on the menu bar.
int menuPosition(std::string_view name) {
    int position = 0;
    for (const ControlSpec& c : controlTable()) {
        if (c.name == name) return position;
        if (c.kind == ControlKind::MenuEntry) ++position;
    }
    ADD_FAILURE() << "no menu-bar row " << name;
    return 0;
}

// Tab or Shift+Tab, and the name of the control that then has the focus.
std::string moveFocus(bool back) {
    const HWND before = g_tavorin.focus();
    press(VK_TAB, back);
    waitFor([&] { return g_tavorin.focus() != before; }, 2000ms);
    return g_tavorin.focusName();
}

std::vector<std::string> focusOrder() {
    std::vector<std::pair<int, std::string>> byIndex;
    for (const ControlSpec& c : controlTable()) {
        if (c.tabIndex != kNoFocus) byIndex.emplace_back(c.tabIndex, std::string(c.name));
    }
    std::sort(byIndex.begin(), byIndex.end());
    std::vector<std::string> names;
    for (const auto& [index, name] : byIndex) names.push_back(name);
    return names;
}

void expectOutputsAsEngine(const MemoryStore& expected, const Program& program = g_tavorin) {
    for (const FieldSpec& f : fieldTable()) {
        if (f.role != FieldRole::Output && f.role != FieldRole::Caption) continue;
        EXPECT_EQ(program.text(f.name), expected.text(f.name)) << f.name;
    }
}

TEST(Tavorin, OpensWithEveryControlAtItsPlace) {
    const HWND form = g_tavorin.form();
    EXPECT_EQ(textOf(form), "Form1");
    const int dpi = static_cast<int>(GetDpiForWindow(form));
    EXPECT_EQ(dpi, 96) << "the session's X server runs at 96 dpi";
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(client.right, twipsToPixels(kClientWidth, dpi));
    EXPECT_EQ(client.bottom, twipsToPixels(kClientHeight, dpi));
    EXPECT_EQ(GetWindowLongW(form, GWL_STYLE) & WS_THICKFRAME, WS_THICKFRAME) << "resizable";

    const std::map<ControlKind, std::string> classes = {{ControlKind::Label, "Static"},
                                                        {ControlKind::TextBox, "Edit"},
                                                        {ControlKind::ChoiceList, "ComboBox"},
                                                        {ControlKind::Button, "Button"}};
    for (const ControlSpec& c : controlTable()) {
        if (c.kind == ControlKind::MenuEntry) continue;
        SCOPED_TRACE(std::string(c.name));
        const HWND control = g_tavorin.control(c.name);
        ASSERT_NE(control, nullptr);
        EXPECT_STRCASEEQ(classOf(control).c_str(), classes.at(c.kind).c_str());
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_NEAR(r.left, twipsToPixels(c.left, dpi), 1);
        EXPECT_NEAR(r.top, twipsToPixels(c.top, dpi), 1);
        EXPECT_NEAR(r.right - r.left, twipsToPixels(c.width, dpi), 1);
        EXPECT_NEAR(r.bottom - r.top, twipsToPixels(c.height, dpi), 1);
        // The start state: default texts, captions, empty outputs and result labels.
        EXPECT_EQ(textOf(control), initialText(c));
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        EXPECT_EQ((style & WS_TABSTOP) != 0, c.tabIndex != kNoFocus);
        if (c.kind == ControlKind::Button) {
            EXPECT_EQ(style & 0xF, BS_PUSHBUTTON) << "not the default button";
        }
        if (c.kind == ControlKind::ChoiceList) {
            EXPECT_EQ(style & 0x3, CBS_DROPDOWN);
            const FieldSpec* field = findField(c.name);
            ASSERT_NE(field, nullptr);
            ASSERT_EQ(SendMessageW(control, CB_GETCOUNT, 0, 0), 2);
            for (int i = 0; i < 2; ++i) {
                wchar_t item[32] = {};
                SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
                EXPECT_EQ(narrow(item), field->items[static_cast<size_t>(i)]);
            }
        }
    }
    for (std::string_view name : {"Label25", "Label50", "Label51", "Label52", "Label53"}) {
        EXPECT_EQ(g_tavorin.text(name), "") << name;
    }
    EXPECT_EQ(g_tavorin.text("Label24"), "######Tavorin######");
    EXPECT_NE(GetMenu(form), nullptr) << "no menu bar";
}

// The class of the system's annotation service, which MinGW's libraries do not define.
constexpr CLSID kAccPropServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};

// Whether this system's oleacc gives annotated names: it annotates a window of its own and
// asks for the name back.
bool annotationsWork() {
    void* services = nullptr;
    if (FAILED(CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, &services))) {
        return false;
    }
    auto* props = static_cast<IAccPropServices*>(services);
    HWND probe = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
    bool works = SUCCEEDED(props->SetHwndPropStr(probe, static_cast<DWORD>(OBJID_CLIENT),
                                                 CHILDID_SELF, PROPID_ACC_NAME, L"probe"));
    IAccessible* accessible = nullptr;
    BSTR name = nullptr;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    works = works &&
            SUCCEEDED(AccessibleObjectFromWindow(probe, static_cast<DWORD>(OBJID_CLIENT),
                                                 IID_IAccessible,
                                                 reinterpret_cast<void**>(&accessible))) &&
            accessible->get_accName(self, &name) == S_OK && name != nullptr &&
            std::wstring_view(name) == L"probe";
    if (name != nullptr) SysFreeString(name);
    if (accessible != nullptr) accessible->Release();
    DestroyWindow(probe);
    props->Release();
    return works;
}

TEST(Tavorin, EveryBoxHasItsAccessibleName) {
    if (!annotationsWork()) {
        GTEST_SKIP() << "this system's oleacc does not return annotated names (Wine 8 does not)";
    }
    int named = 0;
    for (const ControlSpec& c : controlTable()) {
        if (c.kind == ControlKind::MenuEntry || c.kind == ControlKind::Label) continue;
        SCOPED_TRACE(std::string(c.name));
        IAccessible* accessible = nullptr;
        ASSERT_TRUE(SUCCEEDED(
            AccessibleObjectFromWindow(g_tavorin.control(c.name), static_cast<DWORD>(OBJID_CLIENT),
                                       IID_IAccessible, reinterpret_cast<void**>(&accessible))));
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        const HRESULT got = accessible->get_accName(self, &name);
        EXPECT_EQ(got, S_OK);
        if (name != nullptr) {
            EXPECT_EQ(narrow(name), accessibleName(c));
            named += narrow(name) == accessibleName(c);
            SysFreeString(name);
        }
        accessible->Release();
    }
    EXPECT_EQ(named, 55);
}

TEST(Tavorin, StartsWithTheFocusInText1AndTabWalksTheFocusOrder) {
    EXPECT_EQ(g_tavorin.focusName(), "Text1");
    SetForegroundWindow(g_tavorin.form());
    ASSERT_TRUE(waitFor([] { return GetForegroundWindow() == g_tavorin.form(); }));
    const std::vector<std::string> order = focusOrder();
    ASSERT_EQ(order.size(), 55u);
    std::vector<std::string> forward;
    for (size_t i = 1; i <= order.size(); ++i) forward.push_back(moveFocus(false));
    std::vector<std::string> expected(order.begin() + 1, order.end());
    expected.push_back(order.front());  // and round to Text1
    EXPECT_EQ(forward, expected);
    std::vector<std::string> backward;
    for (size_t i = 1; i <= order.size(); ++i) backward.push_back(moveFocus(true));
    expected.assign(order.rbegin(), order.rend());
    EXPECT_EQ(backward, expected);
    EXPECT_EQ(g_tavorin.focusName(), "Text1");
}

TEST(Tavorin, EnterAndEscapeInABoxPressNothing) {
    ASSERT_EQ(g_tavorin.focusName(), "Text1");
    press(VK_RETURN);
    press(VK_ESCAPE);
    // Tab after them: once the focus has moved, the keys before it have been handled.
    EXPECT_EQ(moveFocus(false), "HSt");
    EXPECT_EQ(g_tavorin.text("Label25"), "");
    EXPECT_EQ(g_tavorin.text("x1"), "");
    EXPECT_TRUE(IsWindowVisible(g_tavorin.form()));
    EXPECT_EQ(g_tavorin.messageBox(), nullptr);
    EXPECT_EQ(moveFocus(true), "Text1");
}

TEST(Tavorin, TypedTextStaysInAChoiceList) {
    // Real keystrokes into the field of kj: the text stays as typed, the items stay.
    SetForegroundWindow(g_tavorin.form());
    while (g_tavorin.focusName() != "kj") {
        if (moveFocus(true) == "Text1") break;  // kj is reached near the end, backwards
    }
    ASSERT_EQ(g_tavorin.focusName(), "kj");
    SendMessageW(g_tavorin.control("kj"), CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    for (WORD key : {WORD('A'), WORD('B'), WORD('C')}) press(key);
    ASSERT_TRUE(waitFor([] { return g_tavorin.text("kj") == "abc"; }));
    EXPECT_EQ(SendMessageW(g_tavorin.control("kj"), CB_GETCOUNT, 0, 0), 2);
    g_tavorin.setText("kj", "镇墩");
}

// The worked examples: the window shows, in every output box and Label25, what the engine
// writes on a store in memory for the same inputs, and the documented texts.
TEST(Tavorin, CalculatesTheWorkedExamples) {
    const struct {
        const char* what;
        Texts inputs;
        Texts shown;
    } rows[] = {
        {"defaults",
         {},
         {{"a11text", " 10.04"},
          {"a13text", "119.3808"},
          {"a21text", " 1.87"},
          {"a29text", "-1.156083"},
          {"aa1text", "176.236796821571"},
          {"aa4text", "-107.7878"},
          {"x1", "77.5667185956496"},
          {"y1", "-30.0135534710018"},
          {"w1", "223.930349960126"},
          {"v1", "93.3"},
          {"Label25", "计算结果:"}}},
        {"reducer below, plug, turned",
         {{"DA1t", "35.30"}, {"D1t", "1.2"}, {"kkt", "1"}, {"spjText", "30"}, {"k", "下侧"}},
         {{"a11text", " 10.17"},
          {"a24text", "52.527552"},
          {"aa3text", "24.7726596641582"},
          {"aa4text", "64.12057"},
          {"x1", "153.328337029425"},
          {"w1", "258.900754407772"},
          {"v1", "107.88"},
          {"w2", "153.711892885944"},
          {"v2", "64.05"}}},
        {"support pier", {{"kj", "支墩"}}, {}},
        {"any other structure text", {{"kj", "abc"}, {"Text1", "镇墩 3#"}}, {}},
    };
    const Texts defaults = {{"DA1t", "35"},   {"D1t", "1"},  {"kkt", "0"},
                            {"spjText", "0"}, {"k", "上侧"}, {"kj", "镇墩"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        g_tavorin.setTexts(defaults);
        g_tavorin.setTexts(row.inputs);
        g_tavorin.calculate();
        expectOutputsAsEngine(engineResults(row.inputs));
        for (const auto& [name, text] : row.shown) EXPECT_EQ(g_tavorin.text(name), text) << name;
        // The inputs stay as typed.
        for (const auto& [name, text] : row.inputs) EXPECT_EQ(g_tavorin.text(name), text) << name;
    }
    g_tavorin.setTexts(defaults);
    g_tavorin.setText("Text1", "Text1");
}

TEST(Tavorin, AFaultShowsTheEnginesMessageAndTheWindowCalculatesAgain) {
    const struct {
        const char* what;
        Texts inputs;
    } rows[] = {
        {"empty turning angle", {{"spjText", ""}}},
        {"no foundation friction", {{"fjt", "0"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        // Something in every output box first, so that what the fault leaves is visible.
        for (const FieldSpec& f : fieldTable()) {
            if (f.role == FieldRole::Output) g_tavorin.setText(f.name, "before");
        }
        g_tavorin.setTexts(row.inputs);
        // The engine on a store in memory in the window's present state.
        MemoryStore expected;
        for (const FieldSpec& f : fieldTable()) {
            if (f.role == FieldRole::Caption) {
                expected.setCaption(f.name, g_tavorin.text(f.name));
            } else {
                expected.replaceText(f.name, g_tavorin.text(f.name));
            }
        }
        const std::optional<Fault> fault = calculate(expected);
        ASSERT_TRUE(fault.has_value());

        PostMessageW(g_tavorin.control("Command1"), BM_CLICK, 0, 0);
        HWND box = nullptr;
        ASSERT_TRUE(waitFor([&] { return (box = g_tavorin.messageBox()) != nullptr; }));
        EXPECT_EQ(textOf(box), "Tavorin");
        std::vector<std::string> texts;
        for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (classOf(c) == "Static") texts.push_back(textOf(c));
        }
        EXPECT_NE(std::find(texts.begin(), texts.end(), fault->message), texts.end())
            << "the box shows no \"" << fault->message << "\"";
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(waitFor([&] { return !IsWindow(box); }));
        expectOutputsAsEngine(expected);

        // The window stays usable: the same inputs, mended, calculate again.
        g_tavorin.setText("spjText", "0");
        g_tavorin.setText("fjt", "0.6");
        g_tavorin.calculate();
        expectOutputsAsEngine(engineResults({}));
    }
}

// The entries of "文件" as the Win32 window shows them, by their place in its menu.
int filePosition(FileCommand command) {
    int position = 0;
    for (const FileMenuEntry& entry : fileMenu()) {
        if (entry.command == command) return position;
        if (!entry.needsPdfWriter) ++position;
    }
    ADD_FAILURE() << "no such entry in 文件";
    return 0;
}

// Opens "文件" from the keyboard (F10, Down) and goes `down` entries further.
void openFileMenu(const Program& program, int down) {
    SetForegroundWindow(program.form());
    waitFor([&] { return GetForegroundWindow() == program.form(); }, 2000ms);
    press(VK_F10);
    press(VK_DOWN);
    for (int i = 0; i < down; ++i) press(VK_DOWN);
}

// Whether the program's thread is in a menu.
bool inMenu(const Program& program) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(program.thread(), &info) &&
           (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) != 0;
}

void closeMenu(const Program& program) {
    press(VK_ESCAPE);
    press(VK_ESCAPE);
    EXPECT_TRUE(waitFor([&] { return !inMenu(program); })) << "the menu stayed open";
}

std::vector<std::string> staticTexts(HWND box) {
    std::vector<std::string> texts;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (classOf(c) == "Static") texts.push_back(textOf(c));
    }
    return texts;
}

TEST(Tavorin, VersionFillsTheFourLabelsAndASecondClickChangesNothing) {
    const Texts before = g_tavorin.allTexts();
    clickMenu(menuPosition("bb"));  // 版本
    ASSERT_TRUE(waitFor([] { return !g_tavorin.text("Label50").empty(); }));
    Texts after = g_tavorin.allTexts();
    for (const VersionLine& line : kVersionLines) {
        EXPECT_EQ(after[std::string(line.label)], line.caption);
        after[std::string(line.label)] = "";
    }
    EXPECT_EQ(after, before) << "the version command touched another control";
    const Texts once = g_tavorin.allTexts();
    clickMenu(menuPosition("bb"));
    EXPECT_EQ(g_tavorin.allTexts(), once);
    // 文件 opens its menu and runs nothing.
    openFileMenu(g_tavorin, 0);
    EXPECT_TRUE(waitFor([] { return inMenu(g_tavorin); })) << "文件 did not open its menu";
    closeMenu(g_tavorin);
    EXPECT_EQ(g_tavorin.allTexts(), once);
    EXPECT_EQ(g_tavorin.messageBox(), nullptr);
}

// The screenshot file given, with `suffix` before its extension ("x.bmp" → "x-check.bmp").
std::wstring screenshotPath(const wchar_t* suffix) {
    std::wstring path = g_screenshot;
    path.insert(path.rfind(L'.'), suffix);
    return path;
}

// The window as the user sees it after the default calculation, as a BMP file.
bool saveScreenshot(HWND window, const std::wstring& path) {
    RECT r{};
    GetWindowRect(window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
    const DWORD imageSize = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageSize;
    bool written = false;
    if (FILE* out = _wfopen(path.c_str(), L"wb")) {
        written = fwrite(&file, sizeof file, 1, out) == 1 &&
                  fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                  fwrite(bits, imageSize, 1, out) == 1;
        written = fclose(out) == 0 && written;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return copied && written;
}

TEST(Tavorin, ScreenshotAfterTheDefaultCalculation) {
    if (g_screenshot.empty()) GTEST_SKIP() << "no screenshot file given";
    g_tavorin.calculate();
    SetForegroundWindow(g_tavorin.form());
    RedrawWindow(g_tavorin.form(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(saveScreenshot(g_tavorin.form(), g_screenshot));
}

// The tooltip the program shows now, or nullptr.
HWND shownTip(const Program& program = g_tavorin) {
    HWND found = nullptr;
    EnumThreadWindows(
        program.thread(),
        [](HWND window, LPARAM result) -> BOOL {
            if (classOf(window) != "tooltips_class32" || !IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// The pointer resting on `control`, a pixel right of its middle for each `nudge`.
void pointAt(HWND control, int nudge = 0) {
    RECT r{};
    GetWindowRect(control, &r);
    SetCursorPos((r.left + r.right) / 2 + nudge, (r.top + r.bottom) / 2);
}

// Resting on a result box, the pointer brings up its whole text; on an empty one, nothing.
TEST(Tavorin, ThePointerOnAResultBoxShowsItsWholeText) {
    g_tavorin.calculate();
    SetForegroundWindow(g_tavorin.form());
    for (const char* name : {"x1", "aa3text", "a11text"}) {
        SCOPED_TRACE(name);
        const std::string text = g_tavorin.text(name);
        ASSERT_FALSE(text.empty());
        // A move the window has not yet seen (the first after it came to the front) is made
        // again, a pixel on.
        std::string shown;
        bool seen = false;
        for (int nudge = 0; nudge < 3 && !seen; ++nudge) {
            pointAt(g_tavorin.control(name), nudge);
            seen = waitFor(
                [&] {
                    const HWND tip = shownTip();
                    shown = tip != nullptr ? textOf(tip) : "";
                    return shown == text;
                },
                1500ms);
        }
        EXPECT_TRUE(seen) << "shown: \"" << shown << "\"";
    }
    ASSERT_EQ(g_tavorin.text("a12text"), "");
    pointAt(g_tavorin.control("a12text"));
    EXPECT_TRUE(waitFor([] { return shownTip() == nullptr; }, 3000ms));
    EXPECT_FALSE(waitFor([] { return shownTip() != nullptr; }, 1500ms));
    SetCursorPos(0, 0);
}

// The check dialog of the program, or nullptr while it is hidden.
HWND checkDialog(const Program& program = g_tavorin) {
    HWND found = nullptr;
    EnumThreadWindows(
        program.thread(),
        [](HWND window, LPARAM result) -> BOOL {
            if (classOf(window) != "TavorinCheckDialog" || !IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND checkControl(HWND dialog, std::string_view name) {
    const ControlSpec* c = findCheckControl(name);
    EXPECT_NE(c, nullptr) << name;
    if (c == nullptr) return nullptr;
    return GetDlgItem(dialog, kFirstControlId + static_cast<int>(c - checkDialogTable().data()));
}

// Every box of Form1 and of the dialog.
Texts everyBox(HWND dialog) {
    Texts texts;
    for (const FieldSpec& f : fieldTable()) texts[std::string(f.name)] = g_tavorin.text(f.name);
    for (const FieldSpec& f : checkFieldTable()) {
        texts[std::string(f.name)] = textOf(checkControl(dialog, f.name));
    }
    return texts;
}

// "验算" → "稳定验算…" from the keyboard; the worked example of the check, typed into the
// dialog; "验  算"; a fault; the dialog's picture, as tavorin-win32-check.bmp beside the
// window's.
// 验算 → 稳定验算… from the keyboard; the dialog shown, or nullptr.
HWND openCheckDialog(const Program& program) {
    SetForegroundWindow(program.form());
    waitFor([&] { return GetForegroundWindow() == program.form(); }, 2000ms);
    press(VK_F10);
    for (int i = 0; i < menuPosition("check"); ++i) press(VK_RIGHT);
    press(VK_DOWN);
    press(VK_RETURN);
    HWND dialog = nullptr;
    waitFor([&] { return (dialog = checkDialog(program)) != nullptr; });
    return dialog;
}

TEST(Tavorin, TheCheckDialogChecksTheWorkedExampleAndReportsAFault) {
    const HWND dialog = openCheckDialog(g_tavorin);
    ASSERT_NE(dialog, nullptr) << "no dialog";
    EXPECT_EQ(textOf(dialog), "稳定验算");
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), g_tavorin.form());
    // At the session's 96 dpi, or at the 192 of a session that runs at 200 %.
    const int dpi = static_cast<int>(GetDpiForWindow(dialog));
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, twipsToPixels(kCheckClientWidth, dpi));
    EXPECT_EQ(client.bottom, twipsToPixels(kCheckClientHeight, dpi));
    for (const ControlSpec& c : checkDialogTable()) {
        SCOPED_TRACE(std::string(c.name));
        const HWND control = checkControl(dialog, c.name);
        ASSERT_NE(control, nullptr);
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_NEAR(r.left, twipsToPixels(c.left, dpi), 1);
        EXPECT_NEAR(r.top, twipsToPixels(c.top, dpi), 1);
        EXPECT_NEAR(r.right - r.left, twipsToPixels(c.width, dpi), 1);
        EXPECT_EQ(textOf(control), initialText(c));
    }
    const auto setText = [&](std::string_view name, std::string_view text) {
        SendMessageW(checkControl(dialog, name), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(widen(text).c_str()));
    };
    for (const auto& [name, text] : kCheckExampleInputs) setText(name, text);
    SendMessageW(checkControl(dialog, "Command2"), BM_CLICK, 0, 0);
    {
        MemoryStore engine;
        for (const auto& [name, text] : kCheckExampleInputs) engine.replaceText(name, text);
        ASSERT_FALSE(calculate(engine, "."));
        ASSERT_FALSE(checkStability(engine, "."));
        for (const auto& [name, text] : everyBox(dialog))
            EXPECT_EQ(text, engine.text(name)) << name;
        for (const auto& [name, text] : kCheckExampleResults) {
            EXPECT_EQ(engine.text(name), text) << name;
        }
    }
    EXPECT_EQ(g_tavorin.messageBox(), nullptr);

    // The picture: a block that fails every check, each row's verdict the longest there is,
    // and a number of 15 digits, sign and exponent in the first box.
    if (!g_screenshot.empty()) {
        for (const auto& [name, text] : kFailingBlockInputs) setText(name, text);
        SendMessageW(checkControl(dialog, "Command2"), BM_CLICK, 0, 0);
        EXPECT_EQ(textOf(checkControl(dialog, "jg1")), widestCheckText("jg1"));
        setText("Nj1", "-1.23456789012346E+15");
        RedrawWindow(dialog, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        std::this_thread::sleep_for(300ms);
        EXPECT_TRUE(saveScreenshot(dialog, screenshotPath(L"-check")));
    }

    // A fault: the engine's message in a box; every box keeps its text.
    setText("Bjt", "6m");
    const Texts before = everyBox(dialog);
    MemoryStore faulted;
    for (const auto& [name, text] : before) faulted.replaceText(name, text);
    ASSERT_FALSE(calculate(faulted, "."));
    const std::optional<Fault> fault = checkStability(faulted, ".");
    ASSERT_TRUE(fault.has_value());
    PostMessageW(checkControl(dialog, "Command2"), BM_CLICK, 0, 0);
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = g_tavorin.messageBox()) != nullptr; }));
    EXPECT_EQ(textOf(box), "Tavorin");
    const std::vector<std::string> texts = staticTexts(box);
    EXPECT_NE(std::find(texts.begin(), texts.end(), fault->message), texts.end())
        << "the box shows no \"" << fault->message << "\"";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(box); }));
    EXPECT_EQ(everyBox(dialog), before);

    // Closed, the dialog is hidden; the window goes on at the check's start state.
    for (const FieldSpec& f : checkFieldTable()) setText(f.name, f.defaultText);
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitFor([] { return checkDialog() == nullptr; }));
    EXPECT_TRUE(IsWindowVisible(g_tavorin.form()));
}

// What a file command left: the texts of each message box it showed, each dismissed.
using Messages = std::vector<std::vector<std::string>>;

// Types `path` into the system's file dialog the program shows and presses OK, or cancels
// it for an empty path. Returns the dialog's title; empty, and a failure, for no dialog.
std::string answerFileDialog(const Program& program, const std::wstring& path) {
    HWND dialog = nullptr;
    if (!waitFor([&] { return (dialog = program.messageBox()) != nullptr; }, 20000ms)) {
        ADD_FAILURE() << "no file dialog";
        return {};
    }
    const std::string title = textOf(dialog);
    // The file-name field: a combo box in the Explorer-style dialog, an edit in others.
    HWND name = GetDlgItem(dialog, 0x47C);                  // cmb13
    if (name == nullptr) name = GetDlgItem(dialog, 0x480);  // edt1
    if (name == nullptr) {
        ADD_FAILURE() << "the file dialog has no file-name field";
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return title;
    }
    const int button = path.empty() ? IDCANCEL : IDOK;
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    EXPECT_TRUE(waitFor([&] { return !IsWindow(dialog); })) << "the file dialog stayed open";
    return title;
}

// The visible buttons of a dialog of the program, in their order.
std::vector<std::string> buttonsOf(HWND dialog) {
    std::vector<std::string> buttons;
    EnumChildWindows(
        dialog,
        [](HWND child, LPARAM found) -> BOOL {
            if (IsWindowVisible(child) && classOf(child) == "Button") {
                reinterpret_cast<std::vector<std::string>*>(found)->push_back(textOf(child));
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&buttons));
    return buttons;
}

// The question about unsaved changes the program shows (a dialog with a button 不保存),
// waited for; nullptr when none came.
HWND waitForQuestion(const Program& program) {
    HWND question = nullptr;
    waitFor([&] {
        question = program.messageBox();
        if (question == nullptr) return false;
        const std::vector<std::string> buttons = buttonsOf(question);
        return std::find(buttons.begin(), buttons.end(), "不保存") != buttons.end();
    });
    return question;
}

// Clicks the button `caption` of the question and waits until the question is gone.
void answerQuestion(HWND question, std::string_view caption) {
    HWND button = nullptr;
    for (HWND c = GetWindow(question, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (classOf(c) == "Button" && textOf(c) == caption) button = c;
    }
    ASSERT_NE(button, nullptr) << "no button " << caption;
    PostMessageW(button, BM_CLICK, 0, 0);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(question); })) << "the question stayed";
}

// Runs an entry of "文件" as a user does: the menu from the keyboard, then, when `question`
// names a button, the question about unsaved changes answered with it, the path typed into
// the system's file dialog, OK. Returns the message boxes that followed; the first is saved
// as the BMP file `boxPicture` when one is given.
Messages runFileCommand(const Program& program, FileCommand command, const std::wstring& path,
                        const std::wstring& boxPicture = {}, std::string_view question = {}) {
    openFileMenu(program, filePosition(command));
    press(VK_RETURN);
    if (!question.empty()) {
        const HWND asked = waitForQuestion(program);
        if (asked == nullptr) {
            ADD_FAILURE() << "no question about unsaved changes";
            return {};
        }
        answerQuestion(asked, question);
    }
    if (answerFileDialog(program, path).empty()) return {};
    Messages messages;
    for (;;) {
        // A message sent to the window returns once the command is done or a box is up.
        std::this_thread::sleep_for(300ms);
        SendMessageW(program.form(), WM_NULL, 0, 0);
        HWND box = program.messageBox();
        if (box == nullptr) break;
        EXPECT_EQ(textOf(box), "Tavorin");
        messages.push_back(staticTexts(box));
        if (messages.size() == 1 && !boxPicture.empty()) {
            std::this_thread::sleep_for(300ms);
            EXPECT_TRUE(saveScreenshot(box, boxPicture));
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(box); }));
        if (messages.size() > 3) break;
    }
    return messages;
}

bool mentions(const std::vector<std::string>& texts, const std::string& message) {
    return std::find(texts.begin(), texts.end(), message) != texts.end();
}

// A folder of the driver's own for the files of these tests, emptied first; a Chinese name
// with a blank, so that the path crosses the UTF-16 edge in both directions.
std::wstring testFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"tavorin 文件测试\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileW((folder + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return folder;
}

std::string fileBytes(const std::wstring& path) {
    std::string bytes;
    if (FILE* in = _wfopen(path.c_str(), L"rb")) {
        char buffer[65536];
        size_t got = 0;
        while ((got = fread(buffer, 1, sizeof buffer, in)) > 0) bytes.append(buffer, got);
        fclose(in);
    }
    return bytes;
}

bool writeBytes(const std::wstring& path, std::string_view bytes) {
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (out == nullptr) return false;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return fclose(out) == 0 && written;
}

// Every field of the window (inputs, choices, results, captions), as a store in memory.
MemoryStore windowState(const Program& program) {
    MemoryStore store;
    for (const FieldSpec& f : fieldTable()) {
        if (f.role == FieldRole::Caption) {
            store.setCaption(f.name, program.text(f.name));
        } else {
            store.replaceText(f.name, program.text(f.name));
        }
    }
    return store;
}

Texts fieldTexts(const Program& program) {
    Texts texts;
    for (const FieldSpec& f : fieldTable()) texts[std::string(f.name)] = program.text(f.name);
    return texts;
}

// Every input box and choice list back at its default text.
void restoreDefaults(const Program& program) {
    for (const FieldSpec& f : fieldTable()) {
        if (f.role == FieldRole::Input || f.role == FieldRole::Choice) {
            program.setText(f.name, f.defaultText);
        }
    }
}

TEST(Tavorin, FileMenuScreenshot) {
    if (g_screenshot.empty()) GTEST_SKIP() << "no screenshot file given";
    openFileMenu(g_tavorin, 0);
    ASSERT_TRUE(waitFor([] { return inMenu(g_tavorin); })) << "文件 did not open its menu";
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(saveScreenshot(g_tavorin.form(), screenshotPath(L"-file-menu")));
    closeMenu(g_tavorin);
}

// A cancelled dialog: no message, no box changed, no calculation.
TEST(Tavorin, CancellingAFileDialogDoesNothing) {
    // Something in every output box, so that a calculation would show.
    for (const FieldSpec& f : fieldTable()) {
        if (f.role == FieldRole::Output) g_tavorin.setText(f.name, "before");
    }
    const Texts before = g_tavorin.allTexts();
    for (FileCommand command : {FileCommand::Open, FileCommand::Save, FileCommand::ExportSheet}) {
        SCOPED_TRACE(static_cast<int>(command));
        EXPECT_TRUE(runFileCommand(g_tavorin, command, L"").empty());
        EXPECT_EQ(g_tavorin.allTexts(), before);
    }
}

// 导出计算书… calculates first, as the button does, and writes the sheet of that calculation;
// a calculation that stops is reported and its sheet ends with the fault.
TEST(Tavorin, ExportsTheSheetOfTheCalculation) {
    const std::wstring folder = testFolder();
    const struct {
        const char* what;
        Texts inputs;
        const wchar_t* file;
    } rows[] = {
        {"turned block, reducer below",
         {{"Text1", "3号镇墩"}, {"DA1t", "35.30"}, {"kkt", "1"}, {"spjText", "30"}, {"k", "下侧"}},
         L"计算书 一.html"},
        {"no foundation friction", {{"fjt", "0"}}, L"故障.html"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        restoreDefaults(g_tavorin);
        g_tavorin.setTexts(row.inputs);
        MemoryStore expected = windowState(g_tavorin);
        std::optional<Fault> fault;
        const std::string sheet = calculateSheet(expected, fault);

        const Messages messages =
            runFileCommand(g_tavorin, FileCommand::ExportSheet, folder + row.file);
        EXPECT_EQ(fileBytes(folder + row.file), sheet);
        expectOutputsAsEngine(expected);
        if (fault) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_TRUE(mentions(messages[0], fault->message)) << fault->message;
        } else {
            EXPECT_TRUE(messages.empty());
        }
    }
    restoreDefaults(g_tavorin);
}

// 保存… writes the case; 打开… in a fresh tavorin.exe gives every box the same text.
TEST(Tavorin, SavesACaseThatAFreshWindowOpensAlike) {
    const std::wstring folder = testFolder();
    g_tavorin.setTexts({{"Text1", "2号支墩 \"甲\""},
                        {"kj", "支墩"},
                        {"k", "下侧"},
                        {"HSt", "152.5"},
                        {"DA1t", "35.30"},
                        {"spjText", "-12.30"}});
    const MemoryStore saved = windowState(g_tavorin);
    // Typed without a suffix: the dialog adds ".tavorin".
    EXPECT_TRUE(runFileCommand(g_tavorin, FileCommand::Save, folder + L"算例 一").empty());
    const std::wstring path = folder + L"算例 一.tavorin";
    MemoryStore expected = saved;
    EXPECT_EQ(fileBytes(path), caseJson(expected).json);
    EXPECT_EQ(fieldTexts(g_tavorin), [&] {
        Texts texts;
        for (const FieldSpec& f : fieldTable()) texts[std::string(f.name)] = saved.text(f.name);
        return texts;
    }()) << "saving changed the window";

    Program fresh;
    ASSERT_TRUE(fresh.start());
    EXPECT_TRUE(runFileCommand(fresh, FileCommand::Open, path).empty());
    fresh.calculate();
    g_tavorin.calculate();
    EXPECT_EQ(fieldTexts(fresh), fieldTexts(g_tavorin));
    EXPECT_EQ(fresh.text("Text1"), "2号支墩 \"甲\"");
    fresh.stop();
    EXPECT_EQ(fresh.exitCode(), 0u);
    restoreDefaults(g_tavorin);
}

// 打开… on a file that is no case, after 不保存 for the changed boxes: the message names the
// problem, no box changes, and the window calculates again.
constexpr std::string_view kDigits401 =
    "{\"HSt\": "
    "99999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999"
    "99999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999"
    "99999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999"
    "99999999999999999999999999999999999999999999999999999999999999999999999999999999999999999999"
    "9999999999999999999999999999999999}";
static_assert(kDigits401.size() == 9 + 401 + 1);

// Files that are no case, each with its name in the test folder.
const struct BrokenFile {
    const char* what;
    std::string_view bytes;
    const wchar_t* file;
} kBrokenFiles[] = {
    {"not JSON", "{\"HSt\": \"152\",", L"坏 1.json"},
    {"not an object", "[\"152\"]", L"坏 2.json"},
    {"an unknown box", "{\"HSt\": \"152\", \"HS\": \"1\"}", L"坏 3.json"},
    {"a result box", "{\"x1\": \"1\"}", L"坏 4.json"},
    {"a number value", "{\"HSt\": 152}", L"坏 5.json"},
    {"not UTF-8", "{\"Text1\":\"a\xFF\"}", L"坏 6.json"},
    {"empty", "", L"坏 7.json"},
    // Once an uncaught exception that ended the window.
    {"a number beyond the double range", "{\"HSt\": 1e400}", L"坏 8.json"},
    {"a 401-digit integer", kDigits401, L"坏 9.json"},
};

TEST(Tavorin, OpeningABrokenFileChangesNothingAndReports) {
    const std::wstring folder = testFolder();
    const auto& rows = kBrokenFiles;
    g_tavorin.setText("HSt", "160");
    g_tavorin.calculate();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(writeBytes(folder + row.file, row.bytes));
        const std::string message = openCaseFile(narrow(folder + row.file)).error;
        ASSERT_FALSE(message.empty());
        const Texts before = g_tavorin.allTexts();
        std::wstring picture;
        if (&row == &rows[2] && !g_screenshot.empty()) picture = screenshotPath(L"-open-error");
        // The boxes hold changes: they are given up for the file, which is no case.
        const Messages messages =
            runFileCommand(g_tavorin, FileCommand::Open, folder + row.file, picture, "不保存");
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(mentions(messages[0], message)) << message;
        EXPECT_EQ(g_tavorin.allTexts(), before);
    }
    restoreDefaults(g_tavorin);
    g_tavorin.calculate();
    expectOutputsAsEngine(engineResults({}));
}

// Every control of a window just opened: its initial text.
Texts startTexts() {
    Texts texts;
    for (const ControlSpec& c : controlTable()) {
        if (c.kind != ControlKind::MenuEntry) texts[std::string(c.name)] = initialText(c);
    }
    return texts;
}

// `tavorin.exe FILE` opens the window on the case, as 打开… would.
TEST(Tavorin, StartsOnTheCaseNamedOnItsCommandLine) {
    const std::wstring path = testFolder() + L"启动 算例.tavorin";
    MemoryStore saved;
    for (const auto& [name, text] : Texts{{"Text1", "5号镇墩"}, {"HSt", "152.5"}, {"k", "下侧"}}) {
        saved.replaceText(name, text);
    }
    ASSERT_TRUE(writeBytes(path, caseJson(saved).json));
    Program fresh;
    ASSERT_TRUE(fresh.start(path));
    Texts expected = startTexts();
    for (const FieldSpec& f : fieldTable()) {
        if (f.role == FieldRole::Input || f.role == FieldRole::Choice) {
            expected[std::string(f.name)] = saved.text(f.name);
        }
    }
    EXPECT_TRUE(waitFor([&] { return fresh.allTexts() == expected; }));
    EXPECT_EQ(fresh.allTexts(), expected);
    EXPECT_EQ(fresh.messageBox(), nullptr);
    fresh.stop();
    EXPECT_EQ(fresh.exitCode(), 0u);
}

// The penstock window of the program: `tavorin.exe LINE.penstock` opens the line there; Ctrl+L
// and 管线 → 管线计算… in Form1 bring the same window to the front; 计  算 fills a results row
// for each of the batch tool's lines; the window's picture, as tavorin-win32-penstock.bmp
// beside Form1's; closing Form1 ends the program, the line being unchanged.
TEST(Tavorin, APenstockFileOpensInThePenstockWindowWhichCalculates) {
    const std::string golden = TAVORIN_GOLDEN_DIR;
    Program fresh;
    ASSERT_TRUE(fresh.start(widen(golden + "/penstock.penstock")));
    const auto shown = [&] {
        std::vector<HWND> found;
        EnumThreadWindows(
            fresh.thread(),
            [](HWND window, LPARAM list) -> BOOL {
                if (classOf(window) == "TavorinPenstockWindow" && IsWindowVisible(window)) {
                    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    };
    HWND window = nullptr;
    ASSERT_TRUE(waitFor([&] {
        const std::vector<HWND> windows = shown();
        window = windows.size() == 1 ? windows[0] : nullptr;
        return window != nullptr;
    }));
    EXPECT_EQ(textOf(window), "管线计算");
    const auto control = [&](std::string_view name) {
        const auto table = penstockWindowTable();
        return GetDlgItem(
            window, kFirstControlId + static_cast<int>(findControlIn(table, name) - table.data()));
    };
    EXPECT_TRUE(waitFor([&] { return textOf(control("Text1")) == "三号管线"; }));
    for (const bool key : {true, false}) {
        SCOPED_TRACE(key ? "Ctrl+L" : "管线计算…");
        SetForegroundWindow(fresh.form());
        ASSERT_TRUE(waitFor([&] { return GetForegroundWindow() == fresh.form(); }));
        if (key) {
            press('L', false, true);
        } else {
            press(VK_F10);
            for (int i = 0; i < menuPosition("penstock"); ++i) press(VK_RIGHT);
            press(VK_DOWN);
            press(VK_RETURN);
        }
        EXPECT_TRUE(waitFor([&] { return GetForegroundWindow() == window; }));
        EXPECT_EQ(shown(), std::vector<HWND>{window});
    }
    SendMessageW(control("psCalculate"), BM_CLICK, 0, 0);
    const std::string expected = fileBytes(widen(golden + "/penstock.expected"));
    EXPECT_EQ(SendMessageW(GetDlgItem(window, kResultTableId), LVM_GETITEMCOUNT, 0, 0),
              std::count(expected.begin(), expected.end(), '\n'));
    EXPECT_EQ(fresh.messageBox(), nullptr);
    // Shift+Tab from 计  算, which the click gave the focus, past the three buttons before it
    // reaches the profile, at its first cell; Down, Right, Right make the elevation of the
    // second point the current cell.
    const HWND profile = GetDlgItem(window, kProfileTableId);
    const auto focus = [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(fresh.thread(), &info) ? info.hwndFocus : nullptr;
    };
    SetForegroundWindow(window);
    EXPECT_TRUE(waitFor([&] { return focus() == control("psCalculate"); }));
    for (int button = 0; button < 4; ++button) press(VK_TAB, true);
    EXPECT_TRUE(waitFor([&] { return focus() == profile; })) << "the table follows the boxes";
    for (const WORD key : {VK_DOWN, VK_RIGHT, VK_RIGHT}) press(key);
    if (!g_screenshot.empty()) {
        RedrawWindow(window, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        std::this_thread::sleep_for(300ms);
        EXPECT_TRUE(saveScreenshot(window, screenshotPath(L"-penstock")));
    }
    fresh.stop();
    EXPECT_EQ(fresh.exitCode(), 0u);
}

// A file named on the command line that is no case: its message over the fresh window, which
// keeps its start state, calculates once the message is closed and ends with status 0.
TEST(Tavorin, ABrokenFileOnTheCommandLineIsReportedOverAWorkingWindow) {
    const std::wstring folder = testFolder();
    for (const BrokenFile& row : kBrokenFiles) {
        SCOPED_TRACE(row.what);
        ASSERT_TRUE(writeBytes(folder + row.file, row.bytes));
        const std::string message = openCaseFile(narrow(folder + row.file)).error;
        Program fresh;
        ASSERT_TRUE(fresh.start(folder + row.file));
        HWND box = nullptr;
        ASSERT_TRUE(waitFor([&] { return (box = fresh.messageBox()) != nullptr; }));
        EXPECT_EQ(GetWindow(box, GW_OWNER), fresh.form());
        EXPECT_TRUE(mentions(staticTexts(box), message)) << message;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(box); }));
        EXPECT_EQ(fresh.allTexts(), startTexts());
        // The same handler answered every row: one calculation shows the window works.
        if (&row == &kBrokenFiles[0]) {
            fresh.calculate();
            expectOutputsAsEngine(engineResults({}), fresh);
        }
        fresh.stop();
        EXPECT_EQ(fresh.exitCode(), 0u);
    }
}

// The notice the program shows, or empty: a tooltip of its thread, owned by Form1.
std::string noticeOf(const Program& program) {
    struct Search {
        HWND form;
        HWND found = nullptr;
    } search{program.form()};
    EnumThreadWindows(
        program.thread(),
        [](HWND window, LPARAM result) -> BOOL {
            auto* search = reinterpret_cast<Search*>(result);
            if (classOf(window) != "tooltips_class32" || !IsWindowVisible(window) ||
                GetWindow(window, GW_OWNER) != search->form) {
                return TRUE;
            }
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found == nullptr ? std::string() : textOf(search.found);
}

// Each key of 文件, from a box of Form1 or from the check dialog, opens its entry's dialog.
// The program's temporary folder does not exist: Ctrl+P reports that it cannot write the
// sheet for the browser, and no browser opens during the test.
TEST(Tavorin, EachKeyReachesItsEntry) {
    wchar_t tmp[MAX_PATH] = {};
    const wchar_t* session = GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH) > 0 ? tmp : nullptr;
    SetEnvironmentVariableW(L"TMP", L"C:\\tavorin no such folder\\");
    Program fresh;
    const bool started = fresh.start();
    SetEnvironmentVariableW(L"TMP", session);
    ASSERT_TRUE(started);
    Texts before = fresh.allTexts();
    const struct {
        const char* keys;
        WORD letter;
        bool shift;
        bool fromCheck;
        const char* title;
    } rows[] = {
        {"Ctrl+O", 'O', false, false, "打开"},
        {"Ctrl+S on a new case", 'S', false, false, "保存"},
        {"Ctrl+Shift+S", 'S', true, false, "另存为"},
        {"Ctrl+E", 'E', false, false, "导出计算书"},
        {"Ctrl+P", 'P', false, false, "Tavorin"},
        {"Ctrl+O in the check dialog", 'O', false, true, "打开"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.keys);
        HWND target = fresh.form();
        if (row.fromCheck) {
            target = openCheckDialog(fresh);
            ASSERT_NE(target, nullptr) << "no check dialog";
        }
        SetForegroundWindow(target);
        ASSERT_TRUE(waitFor([&] { return GetForegroundWindow() == target; }, 2000ms));
        press(row.letter, row.shift, true);
        if (row.letter == 'P') {
            HWND box = nullptr;
            ASSERT_TRUE(waitFor([&] { return (box = fresh.messageBox()) != nullptr; }));
            EXPECT_EQ(textOf(box), row.title);
            const std::vector<std::string> texts = staticTexts(box);
            EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& text) {
                return text.find("tavorin no such folder") != std::string::npos;
            })) << "not the message of the sheet it could not write";
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            EXPECT_TRUE(waitFor([&] { return !IsWindow(box); }));
            // Like 导出计算书…, it calculated the sheet in the window.
            EXPECT_FALSE(fresh.text("x1").empty());
            before = fresh.allTexts();
        } else {
            EXPECT_EQ(answerFileDialog(fresh, L""), row.title);
        }
        EXPECT_EQ(fresh.allTexts(), before);
        if (row.fromCheck) SendMessageW(target, WM_CLOSE, 0, 0);
    }
    fresh.stop();
}

// The case file of the window's boxes, as 保存 writes it.
std::string caseOf(const Program& program) {
    MemoryStore store = windowState(program);
    return caseJson(store).json;
}

// Ctrl+S on a new case asks for its file through the system's dialog; once more, it writes
// that file without asking. Each save is told by a notice; Form1 keeps its caption and frame.
TEST(Tavorin, CtrlSTwiceAsksOnceThenSavesToTheSameFile) {
    const std::wstring folder = testFolder();
    const std::wstring path = folder + L"两次.tavorin";
    Program fresh;
    ASSERT_TRUE(fresh.start());
    RECT frame{};
    GetWindowRect(fresh.form(), &frame);
    const auto ctrlS = [&] {
        SetForegroundWindow(fresh.form());
        waitFor([&] { return GetForegroundWindow() == fresh.form(); }, 2000ms);
        press('S', false, true);
    };
    fresh.setText("Text1", "7号镇墩");
    ctrlS();
    // Typed without a suffix: the dialog adds ".tavorin".
    EXPECT_EQ(answerFileDialog(fresh, folder + L"两次"), "保存");
    EXPECT_TRUE(waitFor([&] { return fileBytes(path) == caseOf(fresh); }));
    EXPECT_TRUE(waitFor([&] { return noticeOf(fresh) == "已保存到“两次.tavorin”。"; }));
    if (!g_screenshot.empty()) {
        std::this_thread::sleep_for(300ms);
        EXPECT_TRUE(saveScreenshot(fresh.form(), screenshotPath(L"-notice")));
    }
    const std::string first = fileBytes(path);

    fresh.setText("HSt", "152.5");
    ctrlS();
    EXPECT_TRUE(waitFor([&] { return fileBytes(path) != first; }))
        << "the second save wrote nothing";
    EXPECT_EQ(fileBytes(path), caseOf(fresh));
    if (HWND asked = fresh.messageBox()) {
        ADD_FAILURE() << "the second Ctrl+S asked: " << textOf(asked);
        PostMessageW(asked, WM_COMMAND, IDCANCEL, 0);
    }
    EXPECT_EQ(noticeOf(fresh), "已保存到“两次.tavorin”。");
    EXPECT_EQ(textOf(fresh.form()), "Form1");
    RECT after{};
    GetWindowRect(fresh.form(), &after);
    EXPECT_TRUE(EqualRect(&frame, &after));
    fresh.stop();
    EXPECT_EQ(fresh.exitCode(), 0u);
}

TEST(Tavorin, ShrinkingClipsAndMovesNothing) {
    const HWND form = g_tavorin.form();
    RECT before{};
    GetWindowRect(g_tavorin.control("fjt"), &before);
    SetWindowPos(form, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    RECT after{};
    GetWindowRect(g_tavorin.control("fjt"), &after);
    RECT frame{};
    GetWindowRect(form, &frame);
    EXPECT_EQ(frame.right - frame.left, 300);
    EXPECT_EQ(after.left - before.left, 0);
    EXPECT_EQ(after.top - before.top, 0);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
}

// Closes the program's window on changed boxes, answering the question 不保存, and waits
// until the window is gone.
void closeDiscarding(const Program& program) {
    PostMessageW(program.form(), WM_CLOSE, 0, 0);
    const HWND question = waitForQuestion(program);
    ASSERT_NE(question, nullptr) << "no question about unsaved changes";
    answerQuestion(question, "不保存");
    EXPECT_TRUE(waitFor([&] { return !IsWindow(program.form()); })) << "the window stayed";
}

// Closing a changed case asks in a task dialog named after the block: 取消 and Esc keep the
// window and every box; 保存 asks for the new case's file, and a cancelled dialog keeps the
// window, a file chosen is written and the program ends; 不保存 ends it without writing.
// The rows run on one program until it ends. The question is saved as
// tavorin-win32-question.bmp beside the window's picture.
TEST(Tavorin, ClosingAChangedCaseAsksWhatToDo) {
    const std::wstring folder = testFolder();
    const std::wstring file = folder + L"关闭时保存.tavorin";
    const struct {
        const char* what;
        const char* button;         // clicked; none for Esc
        const wchar_t* saveDialog;  // answered for 保存 (L"" cancels it)
        bool ends;
    } rows[] = {
        {"取消", "取消", nullptr, false},
        {"Esc", nullptr, nullptr, false},
        {"保存, its dialog cancelled", "保存", L"", false},
        {"保存", "保存", L"关闭时保存", true},
        {"不保存", "不保存", nullptr, true},
    };
    Program fresh;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (fresh.form() == nullptr || !IsWindow(fresh.form())) {
            ASSERT_TRUE(fresh.start());
            fresh.setText("Text1", "6号镇墩");
            fresh.setText("HSt", "99");
        }
        const Texts before = fresh.allTexts();
        const std::string saved = caseOf(fresh);
        PostMessageW(fresh.form(), WM_CLOSE, 0, 0);
        const HWND question = waitForQuestion(fresh);
        ASSERT_NE(question, nullptr) << "no question";
        EXPECT_EQ(textOf(question), "Tavorin");
        EXPECT_TRUE(mentions(staticTexts(question), "是否保存对“6号镇墩”的更改？"))
            << ::testing::PrintToString(staticTexts(question));
        EXPECT_EQ(buttonsOf(question), (std::vector<std::string>{"保存", "不保存", "取消"}));
        if (&row == &rows[0] && !g_screenshot.empty()) {
            std::this_thread::sleep_for(300ms);
            EXPECT_TRUE(saveScreenshot(question, screenshotPath(L"-question")));
        }
        if (row.button != nullptr) {
            answerQuestion(question, row.button);
        } else {
            SetForegroundWindow(question);
            press(VK_ESCAPE);
            EXPECT_TRUE(waitFor([&] { return !IsWindow(question); })) << "Esc left the question";
        }
        if (row.saveDialog != nullptr) {
            EXPECT_EQ(answerFileDialog(fresh, *row.saveDialog ? folder + row.saveDialog : L""),
                      "保存");
        }
        if (row.ends) {
            EXPECT_TRUE(waitFor([&] { return !IsWindow(fresh.form()); })) << "the window stayed";
            fresh.stop();
            EXPECT_EQ(fresh.exitCode(), 0u);
        } else {
            std::this_thread::sleep_for(300ms);
            EXPECT_TRUE(IsWindowVisible(fresh.form()));
            EXPECT_EQ(fresh.allTexts(), before);
        }
        EXPECT_EQ(fileBytes(file), row.saveDialog != nullptr && *row.saveDialog ? saved : "");
        DeleteFileW(file.c_str());
    }
}

// Closing the window ends the program, here after 不保存 for the changed boxes.
TEST(Tavorin, ClosingTheWindowEndsTheProgram) {
    g_tavorin.setText("HSt", "99.5");
    closeDiscarding(g_tavorin);
    g_tavorin.stop();
    EXPECT_EQ(g_tavorin.exitCode(), 0u);
}

class ProgramEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        ASSERT_TRUE(g_tavorin.start()) << "tavorin.exe did not show Form1 with all its controls";
    }
    void TearDown() override { g_tavorin.stop(); }
};

}  // namespace
}  // namespace tavorin::win32

namespace {

// With TAVORIN_EXPECT_WINDOWS ("10.0", "6.1"), whether the system says it is that Windows:
// Wine gives the driver and the tavorin.exe it starts the same version.
bool runsOnTheExpectedWindows() {
    const char* expected = std::getenv("TAVORIN_EXPECT_WINDOWS");
    if (expected == nullptr) return true;
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlGetVersion = reinterpret_cast<GetVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (rtlGetVersion == nullptr || rtlGetVersion(&version) != 0) return false;
    const std::string seen =
        std::to_string(version.dwMajorVersion) + "." + std::to_string(version.dwMinorVersion);
    if (seen == expected) return true;
    fprintf(stderr, "driver_test: runs on Windows %s, expected %s\n", seen.c_str(), expected);
    return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: driver_test PATH\\tavorin.exe [SCREENSHOT.bmp]\n");
        return 2;
    }
    if (!runsOnTheExpectedWindows()) return 1;
    // Coordinates and pictures in the screen's own pixels, at any DPI, as tavorin.exe sees
    // them.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    tavorin::win32::g_program = argv[1];
    if (argc > 2) tavorin::win32::g_screenshot = argv[2];
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    testing::AddGlobalTestEnvironment(new tavorin::win32::ProgramEnvironment);
    const int status = RUN_ALL_TESTS();
    CoUninitialize();
    return status;
}
