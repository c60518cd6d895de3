// A manual page as plain text: the text of tavorin-calc --help is its manual page, read
// from man/tavorin-calc.1 when building.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavorin {

// Renders the man(7) page `page` as text of at most `width` columns, filled and left
// aligned: section headings at the margin and their text indented by 4, except that NAME
// gives its line alone and SYNOPSIS gives "Usage: " before its lines. Knows the requests
// TH SH SS PP LP P TP TQ IP RS RE EX EE nf fi br sp, the font macros B I BR RB IR RI BI IB,
// and the escapes \f… \- \e \& \(xx and "\ "; any other request gives its arguments as
// text, and comments (.\") and requests that only steer groff (nh, ad, hy, mso) give
// nothing. A line or word too long for the width stands alone.
std::string manualText(std::string_view page, std::size_t width);

// Columns that `text` takes on a terminal: two for an East Asian wide or full-width
// character, one for anything else.
std::size_t displayWidth(std::string_view text);

}  // namespace tavorin
