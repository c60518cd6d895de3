// The pieces of the sheet's HTML that its parts share (sheet.cpp, penstock_sheet.cpp); not for
// use outside sheet/.
#pragma once

#include <string>
#include <string_view>

#include "engine/record.h"

namespace tavorin {

// <tag attributes>content</tag>; `content` is HTML already.
std::string cell(std::string_view tag, std::string_view content, std::string_view attributes = {});

// The attributes of a result cell showing box `box`: class="r" data-box="x1".
std::string boxAttribute(std::string_view box);

// A box's text as it shows, blanks included.
std::string boxTextHtml(const std::string& text);

// The table of the record's steps of `group` (symbol, meaning, formula, substitution, result),
// or empty when it has none.
std::string stepTable(const CalcRecord& record, RecordGroup group);

// The section of a block's inputs derived from a penstock's profile: the numbers of the profile
// used, then every derived quantity (penstock_sheet.cpp).
std::string derivationSection(const CalcRecord& derivation);

}  // namespace tavorin
