#include "window/win32/notice.h"

#include <commctrl.h>

#include "window/control_table.h"
#include "window/win32/text.h"

namespace tavorin::win32 {
namespace {

// The notice's timer, how long it stays, and its tool (the one the tooltip has).
constexpr UINT_PTR kNoticeTimer = 1;
constexpr UINT kNoticeMilliseconds = 3000;
constexpr UINT_PTR kNoticeTool = 1;

TOOLINFOW noticeTool(HWND window, wchar_t* text) {
    TOOLINFOW tool{};
    // The size comctl32 5.8 knows too (the program without its manifest, the tests).
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = window;
    tool.uId = kNoticeTool;
    tool.lpszText = text;
    return tool;
}

}  // namespace

Notice::Notice(HWND window, HINSTANCE instance) : m_window(window), m_text(1, L'\0') {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    m_tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance, nullptr);
    if (m_tip == nullptr) return;
    TOOLINFOW tool = noticeTool(m_window, m_text.data());
    SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The tooltip goes with its owner window.
Notice::~Notice() {
    if (IsWindow(m_window)) KillTimer(m_window, kNoticeTimer);
}

void Notice::show(std::string_view message, HFONT font, int dpi) {
    if (m_tip == nullptr) return;
    m_text = widen(message);
    TOOLINFOW tool = noticeTool(m_window, m_text.data());
    if (font != nullptr) SendMessageW(m_tip, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(m_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    // Placed by the bubble's size, then again by the size it took when shown.
    const auto size = static_cast<DWORD>(
        SendMessageW(m_tip, TTM_GETBUBBLESIZE, 0, reinterpret_cast<LPARAM>(&tool)));
    const auto place = [&](int width, int height) {
        RECT client{};
        GetClientRect(m_window, &client);
        const int margin = twipsToPixels(120, dpi);
        POINT corner{client.right - margin - width, client.bottom - margin - height};
        ClientToScreen(m_window, &corner);
        SendMessageW(m_tip, TTM_TRACKPOSITION, 0, MAKELPARAM(corner.x, corner.y));
    };
    place(LOWORD(size), HIWORD(size));
    SendMessageW(m_tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    RECT shown{};
    GetWindowRect(m_tip, &shown);
    if (shown.right - shown.left != LOWORD(size) || shown.bottom - shown.top != HIWORD(size)) {
        place(shown.right - shown.left, shown.bottom - shown.top);
    }
    SetTimer(m_window, kNoticeTimer, kNoticeMilliseconds, nullptr);
}

void Notice::hide() {
    KillTimer(m_window, kNoticeTimer);
    if (m_tip == nullptr || !IsWindowVisible(m_tip)) return;
    TOOLINFOW tool = noticeTool(m_window, m_text.data());
    SendMessageW(m_tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

bool Notice::onTimer(UINT_PTR timer) {
    if (timer != kNoticeTimer) return false;
    hide();
    return true;
}

std::string Notice::text() const {
    if (m_tip == nullptr || !IsWindowVisible(m_tip)) return {};
    return narrow(m_text);
}

}  // namespace tavorin::win32
