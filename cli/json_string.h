// JSON strings on the batch tool's output: the line reader is sheet/case_reader.h.
#pragma once

#include <string>
#include <string_view>

namespace tavorin {

// Appends `text` as a JSON string in double quotes: '"', '\' and control characters are
// escaped (\n, \t, …, else \u00XX); everything else, UTF-8 included, is written as it is.
void appendJsonString(std::string& out, std::string_view text);

// Appends the UTF-8 bytes of the code point `c` (at most U+10FFFF).
void appendUtf8(std::string& out, char32_t c);

}  // namespace tavorin
