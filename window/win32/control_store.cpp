#include "window/win32/control_store.h"

#include "window/win32/text.h"

namespace tavorin::win32 {

std::string windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return narrow(text);
}

void ControlStore::add(std::string_view name, ControlKind kind, HWND control) {
    m_controls.insert_or_assign(std::string(name), Entry{kind, control});
}

HWND ControlStore::find(std::string_view name, bool caption) const {
    const auto it = m_controls.find(name);
    if (it == m_controls.end() || !IsWindow(it->second.window)) return nullptr;
    const ControlKind kind = it->second.kind;
    const bool holdsText = kind == ControlKind::TextBox || kind == ControlKind::ChoiceList;
    if (caption ? kind != ControlKind::Label : !holdsText) return nullptr;
    return it->second.window;
}

bool ControlStore::readText(std::string_view name, std::string& text) {
    // A drop-down combo box's window text is the text of its field, picked or typed.
    HWND control = find(name, false);
    if (control == nullptr) return false;
    text = windowText(control);
    return true;
}

bool ControlStore::replaceText(std::string_view name, std::string_view text) {
    HWND control = find(name, false);
    return control != nullptr && SetWindowTextW(control, widen(text).c_str()) != FALSE;
}

bool ControlStore::setCaption(std::string_view name, std::string_view caption) {
    HWND label = find(name, true);
    return label != nullptr && SetWindowTextW(label, widen(caption).c_str()) != FALSE;
}

bool ControlStore::readCaption(std::string_view name, std::string& caption) {
    HWND label = find(name, true);
    if (label == nullptr) return false;
    caption = windowText(label);
    return true;
}

}  // namespace tavorin::win32
