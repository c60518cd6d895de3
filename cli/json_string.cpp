#include "cli/json_string.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace tavorin {
namespace {

constexpr char kHex[] = "0123456789abcdef";

// The bytes an escape adds to a byte that a JSON string cannot hold as it is: 1 for the
// short escapes, 5 for \u00XX, 0 for a byte written as it is.
constexpr std::array<std::uint8_t, 256> kEscapeExtra = [] {
    std::array<std::uint8_t, 256> table{};
    for (int c = 0; c < 0x20; ++c) table[c] = 5;
    for (const unsigned char c : {'"', '\\', '\b', '\t', '\n', '\f', '\r'}) table[c] = 1;
    return table;
}();

// Whether any of the eight bytes of `word` is below 0x20, '"' or '\\'.
bool anyNeedsEscape(std::uint64_t word) {
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t highs = 0x8080808080808080u;
    const auto hasZero = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
    const std::uint64_t below = (word - ones * 0x20) & ~word & highs;
    return (below | hasZero(word ^ (ones * '"')) | hasZero(word ^ (ones * '\\'))) != 0;
}

}  // namespace

std::size_t jsonEscapedSize(std::string_view text) {
    std::size_t size = text.size();
    for (const char c : text) size += kEscapeExtra[static_cast<unsigned char>(c)];
    return size;
}

char* writeJsonEscaped(char* out, std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    while (p != end) {
        const auto* run = p;
        // Eight bytes at a time while none needs an escape, then byte by byte.
        for (std::uint64_t word; end - p >= 8; p += 8) {
            std::memcpy(&word, p, 8);
            if (anyNeedsEscape(word)) break;
        }
        while (p != end && kEscapeExtra[*p] == 0) ++p;
        std::memcpy(out, run, static_cast<std::size_t>(p - run));
        out += p - run;
        if (p == end) break;
        const unsigned char c = *p++;
        *out++ = '\\';
        switch (c) {
            case '"':
                *out++ = '"';
                break;
            case '\\':
                *out++ = '\\';
                break;
            case '\b':
                *out++ = 'b';
                break;
            case '\t':
                *out++ = 't';
                break;
            case '\n':
                *out++ = 'n';
                break;
            case '\f':
                *out++ = 'f';
                break;
            case '\r':
                *out++ = 'r';
                break;
            default:
                std::memcpy(out, "u00", 3);
                out[3] = kHex[c >> 4];
                out[4] = kHex[c & 0xF];
                out += 5;
        }
    }
    return out;
}

void appendJsonString(std::string& out, std::string_view text) {
    const std::size_t start = out.size();
    out.resize(start + jsonEscapedSize(text) + 2);
    char* at = out.data() + start;
    *at++ = '"';
    at = writeJsonEscaped(at, text);
    *at = '"';
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace tavorin
