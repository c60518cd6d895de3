// The window's fonts on Qt: the face of window/fonts.h among the installed families, at the
// size of each role.
#pragma once

#include <QFont>
#include <QString>

#include "window/fonts.h"

namespace tavorin {

// chooseFace() over the families installed on this system, computed once.
QString windowFamily();

// The font of a role: windowFamily() at the role's size, regular weight, antialiased as
// antialiasGlyphs() says for 96 dpi times the device-pixel ratio.
QFont windowFont(FontRole role, qreal devicePixelRatio);

}  // namespace tavorin
