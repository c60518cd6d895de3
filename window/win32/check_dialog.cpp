#include "window/win32/check_dialog.h"

#include <utility>

#include "window/check_dialog.h"
#include "window/win32/controls.h"
#include "window/win32/dpi.h"
#include "window/win32/text.h"

namespace tavorin::win32 {
namespace {

constexpr wchar_t kClassName[] = L"TavorinCheckDialog";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

}  // namespace

std::unique_ptr<CheckDialog> CheckDialog::create(HINSTANCE instance, HWND owner,
                                                 ControlStore& store, AccessibleNames& names,
                                                 std::function<void(Command)> run) {
    if (!registerWindowClass(instance, kClassName, windowProc)) return nullptr;
    std::unique_ptr<CheckDialog> dialog(new CheckDialog(std::move(run)));
    HWND window = CreateWindowExW(0, kClassName, widen(kCheckDialogTitle).c_str(), kWindowStyle,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                                  nullptr, instance, dialog.get());
    if (window == nullptr) return nullptr;
    dialog->m_tips = std::make_unique<TextTips>(window, instance);
    const auto table = checkDialogTable();
    dialog->m_controls.assign(table.size(), nullptr);
    for (size_t row = 0; row < table.size(); ++row) {
        dialog->m_controls[row] =
            createControl(table[row], window, kFirstControlId + static_cast<int>(row), instance,
                          store, names, *dialog->m_tips);
    }
    orderSiblings(table, dialog->m_controls, checkFocusOrder());
    if (const auto order = checkFocusOrder(); !order.empty()) {
        dialog->m_lastFocus = dialog->m_controls[order.front()];
    }
    return dialog;
}

CheckDialog::~CheckDialog() {
    if (m_window != nullptr) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

LRESULT CALLBACK CheckDialog::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return dispatchToObject(window, message, wParam, lParam, &CheckDialog::m_window,
                            &CheckDialog::handle);
}

LRESULT CheckDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int row = LOWORD(wParam) - kFirstControlId;
            const auto table = checkDialogTable();
            if (HIWORD(wParam) == BN_CLICKED && lParam != 0 && row >= 0 &&
                static_cast<size_t>(row) < table.size() &&
                table[static_cast<size_t>(row)].kind == ControlKind::Button) {
                m_run(table[static_cast<size_t>(row)].command);
            }
            return 0;
        }
        case WM_NOTIFY:
            if (m_tips && m_tips->answer(lParam)) return 0;
            break;
        case WM_CTLCOLOREDIT:
            if (HBRUSH brush =
                    colourVerdict(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
                return reinterpret_cast<LRESULT>(brush);
            }
            break;
        case WM_ACTIVATE:
            // The focus comes back to the control that had it when the dialog was left.
            keepFocusAcrossActivation(m_window, LOWORD(wParam) != WA_INACTIVE, m_lastFocus);
            return 0;
        case WM_CLOSE:
            ShowWindow(m_window, SW_HIDE);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

HBRUSH CheckDialog::colourVerdict(HDC dc, HWND control) {
    const int row = GetDlgCtrlID(control) - kFirstControlId;
    const auto table = checkDialogTable();
    if (row < 0 || static_cast<size_t>(row) >= table.size()) return nullptr;
    if (!isVerdictBox(table[static_cast<size_t>(row)].name)) return nullptr;
    const std::optional<Rgb> colour = verdictColour(windowText(control));
    if (!colour) return nullptr;
    SetTextColor(dc, RGB(colour->red, colour->green, colour->blue));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return GetSysColorBrush(COLOR_WINDOW);
}

void CheckDialog::layout(const WindowFonts& fonts, int dpi) {
    m_tips->setFont(fonts.get(FontRole::Default));
    layoutControls(checkDialogTable(), m_controls, fonts, dpi);
    RECT frame{0, 0, twipsToPixels(kCheckClientWidth, dpi), twipsToPixels(kCheckClientHeight, dpi)};
    adjustWindowRect(frame, kWindowStyle, false, 0, dpi);
    SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CheckDialog::show() {
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
    if (m_lastFocus != nullptr) SetFocus(m_lastFocus);
}

bool CheckDialog::preTranslate(MSG& message) { return translateTableKeys(m_window, message); }

}  // namespace tavorin::win32
