#include "window/win32/form1.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "engine/fields.h"
#include "window/command.h"
#include "window/win32/controls.h"
#include "window/win32/dpi.h"
#include "window/win32/text.h"

namespace tavorin::win32 {
namespace {

constexpr wchar_t kClassName[] = L"TavorinForm1";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// An entry as the menu shows it: its caption and, after a tab, its keys, as Windows writes
// them ("保存\tCtrl+S").
std::wstring menuText(const FileMenuEntry& entry) {
    std::wstring text = widen(entry.caption);
    if (!entry.keys.empty()) text += L'\t' + widen(entry.keys);
    return text;
}

}  // namespace

Form1::Form1(HINSTANCE instance) : m_instance(instance) {}

Form1::~Form1() {
    if (m_accelerators != nullptr) DestroyAcceleratorTable(m_accelerators);
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
        case WM_CLOSE:
            onClose();
            return 0;
        case WM_DROPFILES:
            onDropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_NOTIFY:
            if (m_tips && m_tips->answer(lParam)) return 0;
            break;
        case WM_TIMER:
            if (m_notice && m_notice->onTimer(wParam)) return 0;
            break;
        case WM_MOVE:
        case WM_SIZE:
            // The notice stands where the window was.
            if (m_notice) m_notice->hide();
            break;
        case WM_DPICHANGED:
            onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DESTROY:
            onDestroy();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

bool Form1::onCreate() {
    m_dpi = windowDpi(m_window);
    const std::vector<std::string> faces = installedChineseFaces();
    m_face = widen(chooseFace(faces, faces));
    m_menu = CreateMenu();
    if (m_menu == nullptr) return false;
    m_names = std::make_unique<AccessibleNames>();
    m_tips = std::make_unique<TextTips>(m_window, m_instance);
    createControls();
    markUnchanged(m_document, m_store);
    createAccelerators();
    m_notice = std::make_unique<Notice>(m_window, m_instance);
    SetMenu(m_window, m_menu);
    DragAcceptFiles(m_window, TRUE);
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
            // A row with entries opens its menu and runs no command of its own. Without the
            // toolkit's PDF writer, 导出 PDF… is not here; 打印… goes through the browser.
            const auto entries = menuEntries(c.name);
            if (entries.empty()) {
                AppendMenuW(m_menu, MF_STRING, static_cast<UINT_PTR>(id), text.c_str());
                continue;
            }
            HMENU popup = CreatePopupMenu();
            for (const FileMenuEntry& entry : entries) {
                if (entry.needsPdfWriter) continue;
                const auto index = &entry - fileMenu().data();
                AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(kFirstFileCommandId + index),
                            menuText(entry).c_str());
            }
            AppendMenuW(m_menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), text.c_str());
            continue;
        }
        HWND control = createControl(c, m_window, id, m_instance, m_store, *m_names, *m_tips);
        if (control == nullptr) continue;
        m_controls[row] = control;
    }
    orderSiblings(table, m_controls, focusOrder());
    // The check dialog's boxes are in the store from the start, for case files and the sheet.
    m_check = CheckDialog::create(m_instance, m_window, m_store, *m_names, [this](Command command) {
        busy([&] { runCommand(m_store, *this, command, m_trap); });
    });
}

// The keys of the entries, as the menu shows them; the command of each is its menu identifier.
void Form1::createAccelerators() {
    std::vector<ACCEL> keys;
    const auto entries = fileMenu();
    for (size_t index = 0; index < entries.size(); ++index) {
        const auto chord = keyChord(entries[index].keys);
        if (!chord || entries[index].needsPdfWriter) continue;
        ACCEL key{};
        key.fVirt = static_cast<BYTE>(FVIRTKEY | FCONTROL | (chord->shift ? FSHIFT : 0));
        key.key = static_cast<WORD>(chord->letter);  // a capital letter is its virtual key
        key.cmd = static_cast<WORD>(kFirstFileCommandId + static_cast<int>(index));
        keys.push_back(key);
    }
    if (!keys.empty()) {
        m_accelerators = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
    }
}

// Every control at its twips and in its font, at m_dpi.
void Form1::layoutControls() {
    m_fonts.emplace(m_face, m_dpi);
    m_tips->setFont(m_fonts->get(FontRole::Default));
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

void Form1::openFile(const std::string& utf8Path) {
    busy([&] { openCaseAt(m_store, *this, m_document, utf8Path, m_trap); });
}

// The handlers never throw.
void Form1::busy(const std::function<void()>& work) {
    const bool was = std::exchange(m_running, true);
    work();
    m_running = was;
}

bool Form1::preTranslate(MSG& message) {
    const bool ours = message.hwnd == m_window || IsChild(m_window, message.hwnd);
    const bool check =
        m_check && (message.hwnd == m_check->window() || IsChild(m_check->window(), message.hwnd));
    if (ours && message.message == WM_DROPFILES) {
        onDropFiles(reinterpret_cast<HDROP>(message.wParam));
        return true;
    }
    const PenstockWindow* penstock = penstockWindow();
    const bool inPenstock = penstock != nullptr && (message.hwnd == penstock->window() ||
                                                    IsChild(penstock->window(), message.hwnd));
    if ((ours || check || inPenstock) && m_accelerators != nullptr &&
        TranslateAcceleratorW(m_window, m_accelerators, &message)) {
        return true;
    }
    if (m_check && m_check->preTranslate(message)) return true;
    if (inPenstock && penstockWindow()->preTranslate(message)) return true;
    return translateTableKeys(m_window, message);
}

void Form1::onCommand(int id, int code, HWND from) {
    const auto entries = fileMenu();
    const int entry = id - kFirstFileCommandId;
    // From the menu (code 0) or its key (code 1).
    const bool menuOrKey = from == nullptr && (code == 0 || code == 1);
    if (menuOrKey && entry >= 0 && static_cast<size_t>(entry) < entries.size()) {
        const FileMenuEntry& e = entries[static_cast<size_t>(entry)];
        if (e.needsPdfWriter) return;
        busy([&] {
            // A key pressed in the penstock window acts on its penstock where it has the entry.
            // penstock() commits a cell being edited, which the entry then reads.
            const PenstockWindow* shown = penstockWindow();
            if (code == 1 && shown != nullptr && GetActiveWindow() == shown->window()) {
                if (PenstockController* penstock = this->penstock();
                    penstock && penstock->runKeyOf(e)) {
                    return;
                }
            }
            runEntry(m_store, *this, e, m_document, m_trap);
        });
        return;
    }
    const auto table = controlTable();
    const int row = id - kFirstControlId;
    if (row < 0 || static_cast<size_t>(row) >= table.size()) return;
    const ControlSpec& c = table[static_cast<size_t>(row)];
    const bool menu = from == nullptr && code == 0;
    const bool click = from != nullptr && code == BN_CLICKED && c.kind == ControlKind::Button;
    if ((menu && c.kind == ControlKind::MenuEntry) || click) {
        busy([&] { runCommand(m_store, *this, c.command, m_trap); });
    }
}

void Form1::onActivate(bool active) {
    // The focus comes back to the control that had it when the window was left.
    keepFocusAcrossActivation(m_window, active, m_lastFocus);
}

// Closes only when the question about unsaved changes lets it. A close that comes while a
// handler's dialog or message is up is ignored: that is answered first.
void Form1::onClose() {
    if (m_running) return;
    bool close = false;
    busy([&] {
        PenstockWindow* penstock = penstockWindow();
        close = runClose(m_store, *this, m_document, m_trap) && (!penstock || penstock->mayClose());
    });
    if (close) DestroyWindow(m_window);
}

void Form1::onDpiChanged(int dpi, const RECT& suggested) {
    // The notice's font is replaced with the others.
    if (m_notice) m_notice->hide();
    m_dpi = dpi > 0 ? dpi : 96;
    layoutControls();
    SetWindowPos(m_window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::onDropFiles(HDROP drop) {
    const std::string path = takeDroppedFile(drop);
    if (!path.empty() && !m_running) openFile(path);
}

void Form1::onDestroy() {
    m_penstock.reset();
    m_notice.reset();
    m_check.reset();
    m_names.reset();
    PostQuitMessage(0);
}

void Form1::setReporter(std::function<void(const std::string& message)> reporter) {
    m_dialogs.reporter = std::move(reporter);
}

void Form1::setSaveQuestion(std::function<SaveAnswer(const std::string& question)> question) {
    m_dialogs.askToSave = std::move(question);
}

void Form1::setStoreTrap(StoreTrap trap) { m_trap = std::move(trap); }

void Form1::setBrowser(Browser browser) { m_dialogs.browser = std::move(browser); }

PenstockWindow* Form1::penstockWindow() const {
    return m_penstock && m_penstock->window() != nullptr ? m_penstock.get() : nullptr;
}

// The penstock window, made when there is none (or it was closed), shown in front.
PenstockController* Form1::penstock() {
    if (penstockWindow() == nullptr) {
        m_penstock = PenstockWindow::create(
            m_instance, {m_window, m_store, *this, m_document, m_face, m_running, m_dialogs});
        if (!m_penstock) {
            report("无法打开“管线计算”窗口。");
            return nullptr;
        }
    }
    m_penstock->show();
    return &m_penstock->controller();
}

// The browser prints: the sheet goes to a file that opens the browser's print dialog by
// itself, and the notice says where to look.
void Form1::print(const std::string& html) {
    if (m_dialogs.print(m_window, html)) notify(kPrintedNotice);
}

std::string Form1::choosePath(const FileMenuEntry& entry, const std::string& offer) {
    return m_dialogs.path(m_window, entry, offer);
}

SaveAnswer Form1::askToSave(std::string_view question) {
    return m_dialogs.ask(activeOwner(), question);
}

void Form1::showCheckDialog() {
    if (m_check) m_check->show();
}

void Form1::notify(std::string_view message) {
    if (m_notice)
        m_notice->show(message, m_fonts ? m_fonts->get(FontRole::Default) : nullptr, m_dpi);
}

std::string Form1::notice() const { return m_notice ? m_notice->text() : std::string(); }

void Form1::report(std::string_view message) { m_dialogs.report(activeOwner(), message); }

// The window the user works in: Form1 or the check dialog.
HWND Form1::activeOwner() const {
    HWND active = GetActiveWindow();
    if (active == nullptr || (active != m_window && (!m_check || active != m_check->window()))) {
        active = m_window;
    }
    return active;
}

}  // namespace tavorin::win32
