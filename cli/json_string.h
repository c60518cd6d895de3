// JSON strings on the batch tool's output: the line reader is sheet/case_reader.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavorin {

// '"', '\' and control characters are escaped (\", \\, \b, \t, \n, \f, \r, else \u00XX);
// everything else, UTF-8 included, is written as it is.

// How many bytes `text` takes escaped, without the quotes.
std::size_t jsonEscapedSize(std::string_view text);

// Writes `text` escaped, without quotes, at `out`, which has room for jsonEscapedSize(text)
// bytes (six per byte of `text` is always enough); returns the end.
char* writeJsonEscaped(char* out, std::string_view text);

// Appends `text` as a JSON string in double quotes.
void appendJsonString(std::string& out, std::string_view text);

// Appends the UTF-8 bytes of the code point `c` (at most U+10FFFF).
void appendUtf8(std::string& out, char32_t c);

}  // namespace tavorin
