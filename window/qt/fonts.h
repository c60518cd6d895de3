// The window's fonts. The captions are laid out for a Song (Ming) face whose Chinese
// characters are 12 pixels wide at 9 pt and exactly twice as wide as its Latin ones, so
// that every caption fits its label and the a1 … a9 symbols of the row captions line up.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include "window/control_table.h"

namespace tavorin {

// The families asked for, best first: the original face under its three names, then
// Debian's fonts-arphic-uming, a Ming face with the same half-width Latin glyphs.
inline const QStringList kPreferredFamilies = {"SimSun", "宋体", "NSimSun", "AR PL UMing CN"};

// The first of kPreferredFamilies found in `installed`, else the first of `chinese`
// (the installed families that write Simplified Chinese), else an empty text, which leaves
// the choice to the platform's fallback. Names compare without regard to case.
//   installed {"DejaVu Sans", "AR PL UMing CN"}, chinese {"AR PL UMing CN"} → "AR PL UMing CN"
//   installed {"NSimSun", "SimSun"}, chinese {}                             → "SimSun"
//   installed {"Noto Sans CJK SC"}, chinese {"Noto Sans CJK SC"}            → "Noto Sans CJK SC"
//   installed {"DejaVu Sans"}, chinese {}                                   → ""
QString chooseFamily(const QStringList& installed, const QStringList& chinese);

// chooseFamily() over the fonts installed on this system, computed once.
QString windowFamily();

// 9, 10.5 and 12 points.
qreal pointSize(FontRole role);

// Whether glyphs are antialiased at the given device-pixel ratio. At 96 dpi (ratio 1) the
// Ming face at 9 to 12 pt (12 to 16 pixels) is drawn from the monochrome bitmaps it carries
// for those sizes, which are sharper than its antialiased outlines, whose thin strokes blur
// to grey. On HiDPI screens antialiasing stays on.
bool antialiasGlyphs(qreal devicePixelRatio);

// The font of a role: windowFamily() at pointSize(role), regular weight.
QFont windowFont(FontRole role, qreal devicePixelRatio);

}  // namespace tavorin
