// The window's fonts on Win32: the face of window/fonts.h among those with the GB2312
// character set, at the size of each role, scaled to the window's DPI.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "window/fonts.h"

namespace tavorin::win32 {

// The faces of this system that have the GB2312 character set.
std::vector<std::string> installedChineseFaces();

// Owns one GDI font.
class Font {
  public:
    Font() = default;
    explicit Font(HFONT font) : m_font(font) {}
    Font(Font&& other) noexcept : m_font(other.release()) {}
    Font& operator=(Font&& other) noexcept {
        reset(other.release());
        return *this;
    }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    ~Font() { reset(); }

    HFONT get() const { return m_font; }
    HFONT release() {
        HFONT font = m_font;
        m_font = nullptr;
        return font;
    }
    void reset(HFONT font = nullptr) {
        if (m_font != nullptr) DeleteObject(m_font);
        m_font = font;
    }

  private:
    HFONT m_font = nullptr;
};

// The three fonts of the window at one DPI, regular weight, GB2312, antialiased as
// antialiasGlyphs() says for the DPI.
class WindowFonts {
  public:
    WindowFonts(const std::wstring& face, int dpi);
    HFONT get(FontRole role) const;

  private:
    std::array<Font, 3> m_fonts;
};

}  // namespace tavorin::win32
