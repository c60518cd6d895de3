#include "engine/numeric_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

namespace tavorin {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// ---------------------------------------------------------------------------------------
// Reading

// A decimal number taken apart: the mantissa digits with the position of the point, and
// the exponent (saturated, so that "1e99999999999999999999" stays representable).
struct DecimalText {
    bool negative = false;
    std::string digits;  // mantissa digits, point removed
    int pointAt = 0;     // digits before the point
    long exponent = 0;
};

constexpr long kExponentLimit = 1'000'000;

// Turns the parts into a value, correctly rounded to T. A value too large for T is an
// Overflow; one too small becomes a signed zero.
template <class T>
Conversion<T> toNumber(const DecimalText& d) {
    if (d.digits.find_first_not_of('0') == std::string::npos) {
        return {d.negative ? -T(0) : T(0)};
    }
    std::string text;
    text.reserve(d.digits.size() + 24);
    text.append(d.digits);
    text.push_back('e');
    text.append(std::to_string(d.exponent - static_cast<long>(d.digits.size() - d.pointAt)));
    T value{};
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Decide by the decimal exponent of the leading digit which way it left the range.
        const auto lead = static_cast<long>(d.digits.find_first_not_of('0'));
        const long magnitude = d.exponent + (d.pointAt - lead);
        if (magnitude > 0) return {T(0), ConversionError::Overflow};
        return {d.negative ? -T(0) : T(0)};
    }
    if (ec != std::errc{} || ptr != text.data() + text.size()) {
        return {T(0), ConversionError::TypeMismatch};
    }
    return {d.negative ? -value : value};
}

long accumulateExponent(long exponent, char digit) {
    return std::min(kExponentLimit, exponent * 10 + (digit - '0'));
}

bool isLenientBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// "&H…" and "&O…" (blanks already removed): the digits that follow as a non-negative
// whole number.
Conversion<double> readRadix(std::string_view text, size_t at, bool hex) {
    std::string hexDigits;
    std::string bits;  // octal goes through binary
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (hex && isHexDigit(c)) {
            hexDigits.push_back(c);
        } else if (!hex && c >= '0' && c <= '7') {
            const int v = c - '0';
            bits.push_back(v & 4 ? '1' : '0');
            bits.push_back(v & 2 ? '1' : '0');
            bits.push_back(v & 1 ? '1' : '0');
        } else {
            break;
        }
    }
    if (!hex) {
        bits.insert(0, (4 - bits.size() % 4) % 4, '0');
        for (size_t i = 0; i < bits.size(); i += 4) {
            const int v = (bits[i] - '0') * 8 + (bits[i + 1] - '0') * 4 + (bits[i + 2] - '0') * 2 +
                          (bits[i + 3] - '0');
            hexDigits.push_back("0123456789abcdef"[v]);
        }
    }
    const auto first = hexDigits.find_first_not_of('0');
    if (first == std::string::npos) return {0.0};
    double value = 0;
    const char* begin = hexDigits.data() + first;
    const char* end = hexDigits.data() + hexDigits.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::hex);
    if (ec != std::errc{} || ptr != end) return {0.0, ConversionError::Overflow};
    return {value};
}

bool isStrictBlank(char c) { return c == ' ' || c == '\t'; }

template <class T>
Conversion<T> convertStrict(std::string_view text, std::string_view separator) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isStrictBlank(text[begin])) ++begin;
    while (end > begin && isStrictBlank(text[end - 1])) --end;
    const std::string_view s = text.substr(begin, end - begin);

    DecimalText d;
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) d.negative = s[i++] == '-';
    bool seenPoint = false;
    while (i < s.size()) {
        if (isDigit(s[i])) {
            d.digits.push_back(s[i++]);
            if (!seenPoint) ++d.pointAt;
        } else if (!seenPoint && !separator.empty() && s.substr(i).starts_with(separator)) {
            seenPoint = true;
            i += separator.size();
        } else {
            break;
        }
    }
    if (d.digits.empty()) return {T(0), ConversionError::TypeMismatch};
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) negativeExponent = s[i++] == '-';
        if (i == s.size() || !isDigit(s[i])) return {T(0), ConversionError::TypeMismatch};
        while (i < s.size() && isDigit(s[i])) d.exponent = accumulateExponent(d.exponent, s[i++]);
        if (negativeExponent) d.exponent = -d.exponent;
    }
    if (i != s.size()) return {T(0), ConversionError::TypeMismatch};
    return toNumber<T>(d);
}

// ---------------------------------------------------------------------------------------
// Writing

// A finite magnitude rounded to a number of significant digits: digits without trailing
// zeros and the decimal exponent of the first one.
struct Rounded {
    std::array<char, 24> digits{};
    int count = 0;
    int exponent = 0;
};

// Reads "d.ddde±xx" as written by to_chars in scientific format (no terminator): the digits
// without the point go to `digits`, up to `capacity` of them.
int parseScientific(const char* p, const char* end, char* digits, int capacity, int& exponent) {
    int count = 0;
    for (; p != end && *p != 'e'; ++p) {
        if (*p != '.' && count < capacity) digits[count++] = *p;
    }
    ++p;
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) ++p;
    exponent = 0;
    for (; p != end; ++p) exponent = exponent * 10 + (*p - '0');
    if (negative) exponent = -exponent;
    return count;
}

// Whether the exact decimal expansion of `magnitude` can end right after digit
// `significant` + 1, as a tie needs. Written as odd × 2^e, a value has -e digits after the
// point when e < 0 and at least 0.7 × (-e) significant digits, so only a small -e qualifies;
// a whole number with more digits than the mantissa holds ends in zeros, so e ≤ 1.
template <class T>
bool tiePossible(T magnitude, int maxFractionBits) {
    int e = 0;
    const T fraction = std::frexp(magnitude, &e);
    constexpr int kBits = std::numeric_limits<T>::digits;
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, kBits));
    const int lowest = e - kBits + std::countr_zero(mantissa);
    return lowest >= -maxFractionBits && lowest <= 1;
}

struct DigitRule {
    int significant;      // digits kept
    int maxFractionBits;  // beyond this many fractional bits no tie is possible
    int exactDigits;      // digits that write any value of the kind exactly
};

constexpr DigitRule kDoubleRule{15, 23, 767};
constexpr DigitRule kSingleRule{7, 12, 112};

// Rounds to `rule.significant` digits, a tie at the last kept digit away from zero.
// One to_chars call with two more digits decides, except where those read "50": then the
// exact value may lie on either side of the midpoint, or on it.
template <class T>
Rounded roundSignificant(T magnitude, const DigitRule& rule) {
    Rounded r;
    if (magnitude == 0) {
        r.digits[0] = '0';
        r.count = 1;
        return r;
    }
    const int n = rule.significant;
    std::array<char, 64> text;
    std::array<char, 32> digits;
    auto res =
        std::to_chars(text.begin(), text.end(), magnitude, std::chars_format::scientific, n + 1);
    parseScientific(text.begin(), res.ptr, digits.data(), digits.size(), r.exponent);
    bool up = digits[n] >= '5';
    if (digits[n] == '5' && digits[n + 1] == '0') {
        if (!tiePossible(magnitude, rule.maxFractionBits)) {
            // Not on the midpoint: to_chars rounds it correctly at the kept digits.
            res = std::to_chars(text.begin(), text.end(), magnitude, std::chars_format::scientific,
                                n - 1);
            parseScientific(text.begin(), res.ptr, digits.data(), digits.size(), r.exponent);
            up = false;
        } else {
            std::array<char, 800> exact;
            res = std::to_chars(exact.begin(), exact.end(), magnitude,
                                std::chars_format::scientific, rule.exactDigits);
            parseScientific(exact.begin(), res.ptr, digits.data(), n + 1, r.exponent);
            up = digits[n] >= '5';
        }
    }
    if (up) {
        int i = n - 1;
        while (i >= 0 && digits[i] == '9') digits[i--] = '0';
        if (i >= 0) {
            ++digits[i];
        } else {
            digits[0] = '1';  // 9.99… became 10.0…
            ++r.exponent;
        }
    }
    int count = n;
    while (count > 1 && digits[count - 1] == '0') --count;
    std::copy(digits.begin(), digits.begin() + count, r.digits.begin());
    r.count = count;
    return r;
}

// The value m × 2^e of a finite, nonzero magnitude rounded to `n` significant digits, a tie
// away from zero, in exact integer arithmetic: q = floor(m × 2^e × 10^p) and the remainder
// decide. Works where 10^p and the shift fit 128 bits, from about 1E-7 (single: 1E-16) up
// to 10^n; false elsewhere, for the to_chars path above.
__extension__ typedef unsigned __int128 Wide;

constexpr int kMaxPower = 22;  // 2^53 × 10^22 < 2^127

constexpr std::array<Wide, kMaxPower + 1> kPowersOfTen = [] {
    std::array<Wide, kMaxPower + 1> p{};
    p[0] = 1;
    for (int i = 1; i <= kMaxPower; ++i) p[i] = p[i - 1] * 10;
    return p;
}();

constexpr std::array<std::uint64_t, 17> kTenTo = [] {
    std::array<std::uint64_t, 17> p{};
    p[0] = 1;
    for (int i = 1; i <= 16; ++i) p[i] = p[i - 1] * 10;
    return p;
}();

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void writePair(char* out, std::uint32_t value) { std::memcpy(out, kDigitPairs + 2 * value, 2); }

void writeFour(char* out, std::uint32_t value) {
    writePair(out, value / 100);
    writePair(out + 2, value % 100);
}

bool roundExact(double magnitude, int n, Rounded& r) {
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const int biased = static_cast<int>(bits >> 52);
    if (biased == 0) return false;  // subnormal
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int e = biased - 1075;
    // floor(log10(2^(biased-1023))): the decimal exponent, or one less.
    int k = ((biased - 1023) * 78913) >> 18;
    const int p = (n - 1) - k;
    if (p < 0 || p > kMaxPower || e >= 0) return false;
    const Wide scaled = Wide{m} * kPowersOfTen[p];
    const int shift = -e;
    if (shift >= 128) return false;
    auto q = static_cast<std::uint64_t>(scaled >> shift);
    const Wide rest = scaled & ((Wide{1} << shift) - 1);
    bool up = rest >= (Wide{1} << (shift - 1));
    if (q >= kTenTo[n]) {
        // One digit too many: the dropped digit decides, the remainder below it cannot make
        // a 4 reach the midpoint, and a 5 is at or beyond it.
        up = q % 10 >= 5;
        q /= 10;
        ++k;
    }
    if (q < kTenTo[n - 1]) return false;
    if (up && ++q == kTenTo[n]) {
        q = kTenTo[n - 1];
        ++k;
    }
    // Exactly n digits, in groups whose divisions do not wait on each other, then
    // trailing zeros dropped.
    char* const first = r.digits.data();
    if (n == 15) {
        const auto high = static_cast<std::uint32_t>(q / 100'000'000);  // 7 digits
        const auto low = static_cast<std::uint32_t>(q % 100'000'000);   // 8 digits
        first[0] = static_cast<char>('0' + high / 1'000'000);
        const std::uint32_t rest = high % 1'000'000;
        writePair(first + 1, rest / 10'000);
        writeFour(first + 3, rest % 10'000);
        writeFour(first + 7, low / 10'000);
        writeFour(first + 11, low % 10'000);
    } else {
        char* out = first + n;
        while (out - first >= 2) {
            out -= 2;
            writePair(out, static_cast<std::uint32_t>(q % 100));
            q /= 100;
        }
        if (out != first) *first = static_cast<char>('0' + q);
    }
    int count = n;
    while (count > 1 && first[count - 1] == '0') --count;
    r.count = count;
    r.exponent = k;
    return true;
}

// Fills `r` in place: a copy of digits just written byte by byte would stall on reading
// them back as a whole.
void roundDouble(double magnitude, Rounded& r) {
    if (magnitude != 0 && roundExact(magnitude, kDoubleRule.significant, r)) return;
    r = roundSignificant(magnitude, kDoubleRule);
}

void roundSingle(float magnitude, Rounded& r) {
    if (magnitude != 0 && roundExact(magnitude, kSingleRule.significant, r)) return;
    r = roundSignificant(magnitude, kSingleRule);
}

char* append(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

// Lays out rounded digits in fixed or exponent form at `out`; returns the end. Writes at
// most 22 characters besides the separator.
char* layOut(char* out, bool negative, const Rounded& r, int significant,
             std::string_view separator, bool leadingBlank) {
    if (negative) {
        *out++ = '-';
    } else if (leadingBlank) {
        *out++ = ' ';
    }
    const int e = r.exponent;
    const int n = r.count;
    const char* digits = r.digits.data();
    const bool exponentForm = e >= significant || (e < 0 && (-e - 1) + n > significant);
    if (exponentForm) {
        *out++ = digits[0];
        if (n > 1) {
            out = append(out, separator);
            out = append(out, {digits + 1, static_cast<std::size_t>(n - 1)});
        }
        *out++ = 'E';
        *out++ = e < 0 ? '-' : '+';
        const int a = std::abs(e);
        if (a < 10) *out++ = '0';
        out = std::to_chars(out, out + 4, a).ptr;
    } else if (e >= 0) {
        const int whole = e + 1;
        if (n >= whole) {
            out = append(out, {digits, static_cast<std::size_t>(whole)});
        } else {
            out = append(out, {digits, static_cast<std::size_t>(n)});
            std::memset(out, '0', static_cast<std::size_t>(whole - n));
            out += whole - n;
        }
        if (n > whole) {
            out = append(out, separator);
            out = append(out, {digits + whole, static_cast<std::size_t>(n - whole)});
        }
    } else {
        if (!leadingBlank) *out++ = '0';
        out = append(out, separator);
        std::memset(out, '0', static_cast<std::size_t>(-e - 1));
        out += -e - 1;
        out = append(out, {digits, static_cast<std::size_t>(n)});
    }
    return out;
}

// The longest text besides the separator.
constexpr std::size_t kLongestLayout = 22;

template <class T>
NumberText laidOut(T value, const DigitRule& rule, std::string_view separator, bool leadingBlank) {
    Rounded r;
    if constexpr (std::is_same_v<T, float>) {
        roundSingle(std::fabs(value), r);
    } else {
        roundDouble(std::fabs(value), r);
    }
    NumberText text;
    char* end = layOut(text.buffer(), value < 0, r, rule.significant, separator, leadingBlank);
    text.setSize(static_cast<std::size_t>(end - text.buffer()));
    return text;
}

template <class T>
std::string laidOutString(T value, const DigitRule& rule, std::string_view separator,
                          bool leadingBlank) {
    Rounded r;
    if constexpr (std::is_same_v<T, float>) {
        roundSingle(std::fabs(value), r);
    } else {
        roundDouble(std::fabs(value), r);
    }
    std::string out(kLongestLayout + separator.size(), '\0');
    char* end = layOut(out.data(), value < 0, r, rule.significant, separator, leadingBlank);
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

}  // namespace

Conversion<double> readLenient(std::string_view text) {
    // Blanks, tabs and line feeds count nowhere: "1 52" is 152, "& H1F" is 31.
    std::string s;
    s.reserve(text.size());
    for (const char c : text) {
        if (!isLenientBlank(c)) s.push_back(c);
    }
    size_t i = 0;
    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h') return readRadix(s, 2, true);
        if (s[1] == 'O' || s[1] == 'o') return readRadix(s, 2, false);
    }
    DecimalText d;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) d.negative = s[i++] == '-';
    bool seenPoint = false;
    for (; i < s.size(); ++i) {
        if (isDigit(s[i])) {
            d.digits.push_back(s[i]);
            if (!seenPoint) ++d.pointAt;
        } else if (s[i] == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (d.digits.empty()) return {0.0};
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        ++i;
        bool negativeExponent = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) negativeExponent = s[i++] == '-';
        for (; i < s.size() && isDigit(s[i]); ++i) {
            d.exponent = accumulateExponent(d.exponent, s[i]);
        }
        if (negativeExponent) d.exponent = -d.exponent;
    }
    return toNumber<double>(d);
}

Conversion<double> convertStrictDouble(std::string_view text, std::string_view separator) {
    return convertStrict<double>(text, separator);
}

Conversion<float> convertStrictSingle(std::string_view text, std::string_view separator) {
    return convertStrict<float>(text, separator);
}

std::string generalForm(double value, std::string_view separator) {
    return laidOutString(value, kDoubleRule, separator, false);
}

std::string generalForm(float value, std::string_view separator) {
    return laidOutString(value, kSingleRule, separator, false);
}

std::string leadingBlankForm(double value) { return laidOutString(value, kDoubleRule, ".", true); }

NumberText generalText(double value, std::string_view separator) {
    return laidOut(value, kDoubleRule, separator, false);
}

NumberText generalText(float value, std::string_view separator) {
    return laidOut(value, kSingleRule, separator, false);
}

NumberText leadingBlankText(double value) { return laidOut(value, kDoubleRule, ".", true); }

}  // namespace tavorin
