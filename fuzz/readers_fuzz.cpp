// The three readings on arbitrary bytes and separators, against an independent scan of
// their grammar that hands the number it finds to strtod / strtof.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/numeric_text.h"
#include "fuzz/check.h"

namespace {

using tavorin::Conversion;
using tavorin::ConversionError;

bool digit(char c) { return c >= '0' && c <= '9'; }

template <class T>
bool sameBits(T a, T b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A normalised C number ("-12.5e+7", "0x1F") to a reading's result.
template <class T>
Conversion<T> viaStrtod(const std::string& number) {
    T value;
    if constexpr (sizeof(T) == sizeof(double)) {
        value = std::strtod(number.c_str(), nullptr);
    } else {
        value = std::strtof(number.c_str(), nullptr);
    }
    if (std::isinf(value)) return {T(0), ConversionError::Overflow};
    return {value};
}

// Takes a decimal number "[sign] digits [sep digits]" from the start of `s`; returns how
// many bytes it took (0 without a digit) and appends it with "." to `number`.
std::size_t mantissa(std::string_view s, std::string_view separator, std::string& number) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) number.push_back(s[i++]);
    bool point = false;
    bool any = false;
    while (i < s.size()) {
        if (digit(s[i])) {
            number.push_back(s[i++]);
            any = true;
        } else if (!point && !separator.empty() && s.substr(i, separator.size()) == separator) {
            number.push_back('.');
            i += separator.size();
            point = true;
        } else {
            break;
        }
    }
    return any ? i : 0;
}

Conversion<double> lenientReference(std::string_view text) {
    std::string s;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') s.push_back(c);
    }
    if (s.size() >= 2 && s[0] == '&' &&
        (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const bool hex = s[1] == 'H' || s[1] == 'h';
        std::string bits;  // octal goes through binary
        std::string hexDigits;
        for (std::size_t i = 2; i < s.size(); ++i) {
            const char c = s[i];
            if (hex && std::isxdigit(static_cast<unsigned char>(c))) {
                hexDigits.push_back(c);
            } else if (!hex && c >= '0' && c <= '7') {
                for (int b = 2; b >= 0; --b) bits.push_back(((c - '0') >> b) & 1 ? '1' : '0');
            } else {
                break;
            }
        }
        if (!hex) {
            bits.insert(0, (4 - bits.size() % 4) % 4, '0');
            for (std::size_t i = 0; i < bits.size(); i += 4) {
                hexDigits.push_back("0123456789abcdef"[std::stoi(bits.substr(i, 4), nullptr, 2)]);
            }
        }
        if (hexDigits.empty()) return {0.0};
        return viaStrtod<double>("0x" + hexDigits);
    }
    if (!s.empty() && s[0] == '&') return {0.0};
    std::string number;
    const std::size_t used = mantissa(s, ".", number);
    if (used == 0) return {0.0};
    std::size_t i = used;
    if (i < s.size() && std::strchr("EeDd", s[i]) != nullptr && s[i] != '\0') {
        std::string exponent = "e";
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) exponent.push_back(s[i++]);
        const std::size_t start = i;
        while (i < s.size() && digit(s[i])) exponent.push_back(s[i++]);
        if (i > start) number += exponent;
    }
    return viaStrtod<double>(number);
}

template <class T>
Conversion<T> strictReference(std::string_view text, std::string_view separator) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    const Conversion<T> mismatch{T(0), ConversionError::TypeMismatch};
    std::string number;
    std::size_t i = mantissa(text, separator, number);
    if (i == 0) return mismatch;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        number.push_back('e');
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) number.push_back(text[i++]);
        const std::size_t start = i;
        while (i < text.size() && digit(text[i])) number.push_back(text[i++]);
        if (i == start) return mismatch;
    }
    if (i != text.size()) return mismatch;
    return viaStrtod<T>(number);
}

template <class T>
void expectSame(const Conversion<T>& got, const Conversion<T>& want, const char* which,
                std::string_view text) {
    FUZZ_CHECK(got.error == want.error &&
                   (got.error != ConversionError::None || sameBits(got.value, want.value)),
               "%s of \"%.*s\": got %a (error %d), want %a (error %d)", which,
               static_cast<int>(std::min<std::size_t>(text.size(), 200)), text.data(),
               static_cast<double>(got.value), static_cast<int>(got.error),
               static_cast<double>(want.value), static_cast<int>(want.error));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static constexpr std::string_view kSeparators[] = {".", ",", "\xD9\xAB", ""};
    const std::string_view separator = kSeparators[data[0] % 4];
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    expectSame(tavorin::readLenient(text), lenientReference(text), "lenient reading", text);
    expectSame(tavorin::convertStrictDouble(text, separator),
               strictReference<double>(text, separator), "strict double", text);
    expectSame(tavorin::convertStrictSingle(text, separator),
               strictReference<float>(text, separator), "strict single", text);
    return 0;
}
