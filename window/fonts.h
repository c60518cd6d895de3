// The window's fonts, the same in every realisation: the three roles and their sizes, the
// faces asked for, the face chosen from those installed, and when glyphs are antialiased.
//
// The captions are laid out for a Song (Ming) face whose Chinese characters are 12 pixels
// wide at 9 pt and exactly twice as wide as its Latin ones, so that every caption fits its
// label and the a1 … a9 symbols of the row captions line up.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace tavorin {

// The font of a control: the window's default (9 pt), the output boxes' (10.5 pt), the
// title's and the result caption's (12 pt).
enum class FontRole { Default, Output, Title };

// The size of a font role in tenths of a point: 90, 105, 120.
constexpr int pointSizeTenths(FontRole role) {
    switch (role) {
        case FontRole::Output:
            return 105;
        case FontRole::Title:
            return 120;
        case FontRole::Default:
            break;
    }
    return 90;
}

// The faces the window asks for, best first: the original Song face under its three names,
// then a Ming face with the same half-width Latin glyphs (Debian's fonts-arphic-uming).
inline constexpr std::string_view kPreferredFaces[] = {"SimSun", "宋体", "NSimSun",
                                                       "AR PL UMing CN"};

// The first of kPreferredFaces in `installed`, spelt as installed; else the first of
// `chinese` (the installed faces that write Simplified Chinese) that is not a vertical "@"
// face; else an empty text, which leaves the choice to the platform's fallback. Names
// compare without regard to ASCII case.
//   installed {"DejaVu Sans", "AR PL UMing CN"}, chinese {"AR PL UMing CN"} → "AR PL UMing CN"
//   installed {"NSimSun", "SimSun"}, chinese {}                             → "SimSun"
//   installed {"@Noto Serif SC", "Noto Serif SC"}, the same as chinese      → "Noto Serif SC"
//   installed {"DejaVu Sans"}, chinese {}                                   → ""
std::string chooseFace(std::span<const std::string> installed,
                       std::span<const std::string> chinese);

// Whether glyphs are antialiased on a screen of `dotsPerInch`. At 96 dpi the Ming face at 9
// to 12 pt (12 to 16 pixels) is drawn from the monochrome bitmaps it carries for those
// sizes, which are sharper than its antialiased outlines, whose thin strokes blur to grey.
// Above 96 dpi antialiasing stays on.
constexpr bool antialiasGlyphs(double dotsPerInch) { return dotsPerInch > 96.0; }

}  // namespace tavorin
