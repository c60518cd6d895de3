// The JSON of one batch line: reading an object of names to texts, writing strings, and
// quoting a piece of hostile input safely in a message.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavorin {

// Receives the members of the object in the order written.
class MemberSink {
  public:
    virtual ~MemberSink() = default;
    // `text` is the decoded string value, or null when the value is not a string (it was
    // checked to be valid JSON and skipped). Both may be moved from.
    virtual void member(std::string& name, std::string* text) = 0;
};

// Reads `line` as one JSON value (RFC 8259, strict UTF-8, no nesting deeper than
// kMaxJsonDepth). An object gives its members to `sink`; the result is then empty. Any
// other valid value gives "expected a JSON object …"; invalid JSON gives "not valid JSON at
// column C: <what>, near "<excerpt>"", the column counted in bytes from 1. The work and the
// memory are linear in the line: every string is decoded once into a buffer of its size.
std::optional<std::string> readJsonObject(std::string_view line, MemberSink& sink);

inline constexpr std::size_t kMaxJsonDepth = 512;

// Appends `text` as a JSON string in double quotes: '"', '\' and control characters are
// escaped (\n, \t, …, else \u00XX); everything else, UTF-8 included, is written as it is.
void appendJsonString(std::string& out, std::string_view text);

// Appends the UTF-8 bytes of the code point `c` (at most U+10FFFF).
void appendUtf8(std::string& out, char32_t c);

// At most about `limit` bytes from the start of `text`, safe to show: control characters,
// invalid UTF-8, C1 controls, and bidirectional and other invisible formatting characters
// are written as escapes (\n, \x1B, \u202E), '\' and '"' as \\ and \", and "…" follows when
// the text was cut.
std::string excerpt(std::string_view text, std::size_t limit = 32);

}  // namespace tavorin
