#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

#include "engine/numeric_text.h"

// The writings of numeric_text.h: the general form and the leading-blank form.
namespace tavorin {
namespace {

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
