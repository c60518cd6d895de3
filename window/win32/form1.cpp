#include "window/win32/form1.h"

#include <algorithm>
#include <utility>

#include "engine/fields.h"
#include "window/command.h"
#include "window/win32/controls.h"
#include "window/win32/dpi.h"
#include "window/win32/file_dialog.h"
#include "window/win32/text.h"

namespace tavorin::win32 {
namespace {

constexpr wchar_t kClassName[] = L"TavorinForm1";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
}  // namespace

Form1::Form1(HINSTANCE instance) : m_instance(instance) {}

Form1::~Form1() {
    if (m_window != nullptr) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

std::unique_ptr<Form1> Form1::create(HINSTANCE instance) {
    if (!registerWindowClass(instance, kClassName, windowProc)) return nullptr;
    std::unique_ptr<Form1> form(new Form1(instance));
    HWND window = CreateWindowExW(0, kClassName, widen(kFormName).c_str(), kWindowStyle,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  nullptr, nullptr, instance, form.get());
    if (window == nullptr) return nullptr;
    return form;
}

LRESULT CALLBACK Form1::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return dispatchToObject(window, message, wParam, lParam, &Form1::m_window, &Form1::handle);
}

LRESULT Form1::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return onCreate() ? 0 : -1;
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_ACTIVATE:
            onActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_DPICHANGED:
            onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DESTROY:
            onDestroy();
            return 0;
        default:
            return DefWindowProcW(m_window, message, wParam, lParam);
    }
}

bool Form1::onCreate() {
    m_dpi = windowDpi(m_window);
    const std::vector<std::string> faces = installedChineseFaces();
    m_face = widen(chooseFace(faces, faces));
    m_menu = CreateMenu();
    if (m_menu == nullptr) return false;
    m_names = std::make_unique<AccessibleNames>();
    createControls();
    SetMenu(m_window, m_menu);
    layoutControls();
    sizeWindow();
    return true;
}

void Form1::createControls() {
    const auto table = controlTable();
    m_controls.assign(table.size(), nullptr);
    for (size_t row = 0; row < table.size(); ++row) {
        const ControlSpec& c = table[row];
        const int id = kFirstControlId + static_cast<int>(row);
        const std::wstring text = widen(initialText(c));
        if (c.kind == ControlKind::MenuEntry) {
            // A row with entries opens its menu and runs no command of its own; printing is
            // left to the exported sheet in a browser.
            const auto entries = menuEntries(c.name);
            if (entries.empty()) {
                AppendMenuW(m_menu, MF_STRING, static_cast<UINT_PTR>(id), text.c_str());
                continue;
            }
            HMENU popup = CreatePopupMenu();
            for (const FileMenuEntry& entry : entries) {
                if (entry.needsPrintSupport) continue;
                const auto index = &entry - fileMenu().data();
                AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(kFirstFileCommandId + index),
                            widen(entry.caption).c_str());
            }
            AppendMenuW(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), text.c_str());
            continue;
        }
        HWND control = createControl(c, m_window, id, m_instance, m_store, *m_names);
        if (control == nullptr) continue;
        m_controls[row] = control;
    }
    orderSiblings(table, m_controls, focusOrder());
    // The check dialog's boxes are in the store from the start, for case files and the sheet.
    m_check = CheckDialog::create(m_instance, m_window, m_store, *m_names, [this](Command command) {
        runCommand(m_store, *this, command, m_trap);
    });
}

// Every control at its twips and in its font, at m_dpi.
void Form1::layoutControls() {
    m_fonts.emplace(m_face, m_dpi);
    win32::layoutControls(controlTable(), m_controls, *m_fonts, m_dpi);
    if (m_check) m_check->layout(*m_fonts, m_dpi);
}

// The window's size for a client area of 11700 × 9570 twips below the menu bar, at m_dpi.
void Form1::sizeWindow() {
    const auto px = [this](int twips) { return twipsToPixels(twips, m_dpi); };
    RECT frame{0, 0, px(kClientWidth), px(kClientHeight)};
    adjustWindowRect(frame, kWindowStyle, true, 0, m_dpi);
    SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar wrapped into two rows takes client height: grow by what it took.
    RECT client{};
    GetClientRect(m_window, &client);
    if (const int missing = px(kClientHeight) - client.bottom; missing > 0) {
        SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left,
                     frame.bottom - frame.top + missing,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Form1::show(int showCommand) {
    ShowWindow(m_window, showCommand);
    UpdateWindow(m_window);
    if (const auto order = focusOrder(); !order.empty()) {
        m_lastFocus = m_controls[order.front()];
        SetFocus(m_lastFocus);
    }
}

bool Form1::preTranslate(MSG& message) {
    if (m_check && m_check->preTranslate(message)) return true;
    return translateTableKeys(m_window, message);
}

void Form1::onCommand(int id, int code, HWND from) {
    const auto entries = fileMenu();
    const int entry = id - kFirstFileCommandId;
    if (from == nullptr && code == 0 && entry >= 0 && static_cast<size_t>(entry) < entries.size()) {
        if (!entries[static_cast<size_t>(entry)].needsPrintSupport) {
            runEntry(m_store, *this, entries[static_cast<size_t>(entry)], m_trap);
        }
        return;
    }
    const auto table = controlTable();
    const int row = id - kFirstControlId;
    if (row < 0 || static_cast<size_t>(row) >= table.size()) return;
    const ControlSpec& c = table[static_cast<size_t>(row)];
    const bool menu = from == nullptr && code == 0;
    const bool click = from != nullptr && code == BN_CLICKED && c.kind == ControlKind::Button;
    if ((menu && c.kind == ControlKind::MenuEntry) || click) {
        runCommand(m_store, *this, c.command, m_trap);
    }
}

void Form1::onActivate(bool active) {
    // The focus comes back to the control that had it when the window was left.
    keepFocusAcrossActivation(m_window, active, m_lastFocus);
}

void Form1::onDpiChanged(int dpi, const RECT& suggested) {
    m_dpi = dpi > 0 ? dpi : 96;
    layoutControls();
    SetWindowPos(m_window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::onDestroy() {
    m_check.reset();
    m_names.reset();
    PostQuitMessage(0);
}

void Form1::setReporter(std::function<void(const std::string& message)> reporter) {
    m_reporter = std::move(reporter);
}

void Form1::setStoreTrap(StoreTrap trap) { m_trap = std::move(trap); }

std::string Form1::choosePath(const FileMenuEntry& entry, const std::string& offer) {
    const ChosenPath path = win32::choosePath(m_window, entry, offer);
    if (!path.error.empty()) report(path.error);
    return path.utf8;
}

void Form1::showCheckDialog() {
    if (m_check) m_check->show();
}

void Form1::report(std::string_view message) {
    if (m_reporter) {
        m_reporter(std::string(message));
        return;
    }
    // Over the window the user works in: Form1 or the check dialog.
    HWND active = GetActiveWindow();
    if (active == nullptr || (active != m_window && (!m_check || active != m_check->window()))) {
        active = m_window;
    }
    MessageBoxW(active, widen(message).c_str(), widen(kMessageTitle).c_str(),
                MB_OK | MB_ICONWARNING);
}

}  // namespace tavorin::win32
