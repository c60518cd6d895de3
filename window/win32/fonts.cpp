#include "window/win32/fonts.h"

#include <algorithm>

#include "window/win32/text.h"

namespace tavorin::win32 {
namespace {

int CALLBACK collectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM list) {
    auto& faces = *reinterpret_cast<std::vector<std::string>*>(list);
    std::string face = narrow(font->lfFaceName);
    if (std::find(faces.begin(), faces.end(), face) == faces.end()) faces.push_back(face);
    return 1;
}

size_t roleIndex(FontRole role) { return static_cast<size_t>(role); }

}  // namespace

std::vector<std::string> installedChineseFaces() {
    std::vector<std::string> faces;
    LOGFONTW wanted{};
    wanted.lfCharSet = GB2312_CHARSET;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, collectFace, reinterpret_cast<LPARAM>(&faces), 0);
    ReleaseDC(nullptr, screen);
    return faces;
}

WindowFonts::WindowFonts(const std::wstring& face, int dpi) {
    for (FontRole role : {FontRole::Default, FontRole::Output, FontRole::Title}) {
        LOGFONTW font{};
        // A negative height is the character height, as a point size means it.
        font.lfHeight = -MulDiv(pointSizeTenths(role), dpi, 720);
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = GB2312_CHARSET;
        font.lfOutPrecision = OUT_DEFAULT_PRECIS;
        font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        font.lfQuality = antialiasGlyphs(dpi) ? DEFAULT_QUALITY : NONANTIALIASED_QUALITY;
        font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
        face.copy(font.lfFaceName, LF_FACESIZE - 1);
        m_fonts[roleIndex(role)].reset(CreateFontIndirectW(&font));
    }
}

HFONT WindowFonts::get(FontRole role) const { return m_fonts[roleIndex(role)].get(); }

}  // namespace tavorin::win32
