#include "window/win32/text_tips.h"

#include <commctrl.h>

namespace tavorin::win32 {
namespace {

TOOLINFOW toolOf(HWND window, HWND box) {
    TOOLINFOW tool{};
    // The size comctl32 5.8 knows too (the program without its manifest, the tests).
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    // The box is the tool; the tooltip watches the pointer over it by itself.
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(box);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    return tool;
}

}  // namespace

TextTips::TextTips(HWND window, HINSTANCE instance) : m_window(window) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    // Shown over an inactive window too; an ampersand is a character.
    m_tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance, nullptr);
}

void TextTips::add(HWND box) {
    if (m_tips == nullptr) return;
    TOOLINFOW tool = toolOf(m_window, box);
    SendMessageW(m_tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TextTips::setFont(HFONT font) {
    if (m_tips == nullptr) return;
    // A tip shown in the old font goes; the next shows in the new one.
    SendMessageW(m_tips, TTM_POP, 0, 0);
    SendMessageW(m_tips, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

bool TextTips::answer(LPARAM notification) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(notification);
    if (m_tips == nullptr || info->hdr.hwndFrom != m_tips || info->hdr.code != TTN_GETDISPINFOW) {
        return false;
    }
    const auto box = reinterpret_cast<HWND>(info->hdr.idFrom);
    const int length = GetWindowTextLengthW(box);
    m_text.assign(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    m_text.resize(static_cast<size_t>(GetWindowTextW(box, m_text.data(), length + 1)));
    info->lpszText = m_text.data();
    info->hinst = nullptr;
    return true;
}

}  // namespace tavorin::win32
