// The window's fonts on Win32: a Song face with the GB2312 character set at the sizes of
// the control table, scaled to the window's DPI.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "window/control_table.h"

namespace tavorin::win32 {

// The first of kPreferredFaces in `installed`, else the first of `installed` (the faces
// that write GB2312) that is not a vertical "@" face, else an empty text, which leaves the
// choice to the system's font mapper. Names compare without regard to ASCII case.
//   {"Arial Unicode", "AR PL UMing CN"} → "AR PL UMing CN"
//   {"NSimSun", "SimSun"}               → "SimSun"
//   {"@Noto Serif SC", "Noto Serif SC"} → "Noto Serif SC"
//   {}                                  → ""
std::string chooseFace(const std::vector<std::string>& installed);

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

// The three fonts of the window at one DPI, regular weight, GB2312.
class WindowFonts {
  public:
    WindowFonts(const std::wstring& face, int dpi);
    HFONT get(FontRole role) const;

  private:
    std::array<Font, 3> m_fonts;
};

}  // namespace tavorin::win32
