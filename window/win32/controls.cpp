#include "window/win32/controls.h"

#include <algorithm>

#include "engine/fields.h"
#include "window/win32/text.h"

namespace tavorin::win32 {
namespace {

struct KindStyle {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

// Labels never take the focus; no caption carries an access key.
KindStyle styleOf(ControlKind kind) {
    // Siblings clip each other, so a box stays drawn over a label reaching under it.
    constexpr DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    switch (kind) {
        case ControlKind::Label:
            return {L"STATIC", child | SS_LEFT | SS_NOPREFIX, 0};
        case ControlKind::TextBox:
            return {L"EDIT", child | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case ControlKind::ChoiceList:
            return {L"COMBOBOX", child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                    0};
        case ControlKind::Button:
            return {L"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON, 0};
        case ControlKind::MenuEntry:
            break;
    }
    return {nullptr, 0, 0};
}

constexpr int kIconId = 1;

}  // namespace

bool registerWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    if (GetClassInfoExW(instance, className, &windowClass)) return true;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                   GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

HWND focusOwner(HWND window, HWND focus) {
    while (focus != nullptr && GetParent(focus) != window) focus = GetParent(focus);
    return focus;
}

HWND createControl(const ControlSpec& c, HWND parent, int id, HINSTANCE instance,
                   ControlStore& store, AccessibleNames& names, TextTips& tips) {
    const KindStyle kind = styleOf(c.kind);
    if (kind.className == nullptr) return nullptr;
    HWND control = CreateWindowExW(kind.exStyle, kind.className, nullptr, kind.style, 0, 0, 0, 0,
                                   parent, reinterpret_cast<HMENU>(INT_PTR{id}), instance, nullptr);
    if (control == nullptr) return nullptr;
    if (c.kind == ControlKind::ChoiceList) {
        for (std::string_view item : choiceItems(c.name)) {
            if (item.empty()) continue;
            SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(widen(item).c_str()));
        }
    } else if (c.kind == ControlKind::TextBox) {
        SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // no limit
    }
    SetWindowTextW(control, widen(initialText(c)).c_str());
    if (c.kind != ControlKind::Label) names.set(control, accessibleName(c));
    if (showsTextAsTip(c)) tips.add(control);
    store.add(c.name, c.kind, control);
    return control;
}

void orderSiblings(std::span<const ControlSpec> table, const std::vector<HWND>& controls,
                   std::span<const std::size_t> order) {
    HWND after = HWND_TOP;
    for (const size_t row : order) {
        if (controls[row] == nullptr) continue;
        SetWindowPos(controls[row], after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = controls[row];
    }
    for (size_t row = 0; row < table.size(); ++row) {
        if (table[row].kind == ControlKind::Label && controls[row] != nullptr) {
            SetWindowPos(controls[row], HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
}

void layoutControl(const ControlSpec& c, HWND control, const WindowFonts& fonts, int dpi) {
    const auto px = [dpi](int twips) { return twipsToPixels(twips, dpi); };
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.get(c.font)), FALSE);
    if (c.kind == ControlKind::TextBox) {
        // Narrow inner margins, so that a narrow output box shows as many digits as it can.
        const int margin = px(15);
        SendMessageW(control, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                     MAKELPARAM(margin, margin));
    }
    int height = px(c.height);
    if (c.kind == ControlKind::ChoiceList) {
        // The closed list is as high as its row (the field inside its 3-pixel frame); the
        // window's height includes the open list of two items.
        const int field = std::max(1, height - 6);
        SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
        const LRESULT item = SendMessageW(control, CB_GETITEMHEIGHT, 0, 0);
        height += 2 * static_cast<int>(item > 0 ? item : field) + 2;
    }
    SetWindowPos(control, nullptr, px(c.left), px(c.top), px(c.width), height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(control, nullptr, TRUE);
}

void layoutControls(std::span<const ControlSpec> table, const std::vector<HWND>& controls,
                    const WindowFonts& fonts, int dpi) {
    for (size_t row = 0; row < table.size(); ++row) {
        if (controls[row] != nullptr) layoutControl(table[row], controls[row], fonts, dpi);
    }
}

bool translateTableKeys(HWND window, MSG& message) {
    if (message.hwnd != window && !IsChild(window, message.hwnd)) return false;
    if ((message.message == WM_KEYDOWN || message.message == WM_CHAR) &&
        (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE)) {
        HWND control = focusOwner(window, message.hwnd);
        const bool openList =
            control != nullptr && SendMessageW(control, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
        if (!openList) return true;  // swallowed: no default or cancel button
    }
    return IsDialogMessageW(window, &message) != FALSE;
}

std::string takeDroppedFile(HDROP drop) {
    std::string path;
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
        const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
        std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
        wide.resize(DragQueryFileW(drop, 0, wide.data(), length + 1));
        path = narrow(wide);
    }
    DragFinish(drop);
    return path;
}

void keepFocusAcrossActivation(HWND window, bool active, HWND& lastFocus) {
    if (!active) {
        if (HWND focus = focusOwner(window, GetFocus())) lastFocus = focus;
    } else if (lastFocus != nullptr && IsWindow(lastFocus)) {
        SetFocus(lastFocus);
    }
}

}  // namespace tavorin::win32
