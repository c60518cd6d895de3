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
//
// Both readings take the text apart in one pass, in place, into a DecimalScan: the sign,
// the significant digits (the first kKeptDigits of them, leading zeros skipped), whether a
// non-zero digit beyond those was dropped, and the decimal exponent of the first
// significant digit. Nothing is copied and nothing is allocated.
//
// Why this rounds exactly for any length: the value is V = 0.d1 d2 … × 10^P. Every double,
// and every midpoint between two adjacent doubles, has at most 768 significant decimal
// digits (a midpoint is an odd multiple of 2^-1075 at the least, and 5^1075 has 752
// digits; a large one is a whole number below 2^1025, 309 digits). Let D be V cut after
// kKeptDigits = 800 digits, and u = 10^(P - 800) the unit of its last digit. When a
// non-zero digit was dropped, D < V < D + u. A double or midpoint of V's magnitude is a
// multiple of 10^(P - 768), hence of u, so none lies strictly between D and D + u; and
// 10^P, the one of the next magnitude, is a multiple of u too. So V and D + u/10 (D with a
// sticky digit 1 appended) lie in the same open interval between consecutive doubles and
// midpoints, and round to the same double. std::from_chars rounds that bounded text
// correctly. For a single the same holds with fewer digits.

constexpr int kKeptDigits = 800;

// The fast path relies on each operation being rounded to its own type.
#if defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ != 0
#error "floating-point operations must be evaluated in their own type"
#endif

// Decimal exponents beyond these need no conversion: every value is an overflow, or
// rounds to zero (below half the least subnormal).
template <class T>
struct Limits;
template <>
struct Limits<double> {
    static constexpr std::int64_t kOverflowFrom = 310;  // V >= 10^309 > DBL_MAX
    static constexpr std::int64_t kZeroBelow = -330;    // V < 10^-330 < 2^-1075
    static constexpr std::uint64_t kExactMantissa = 1ULL << 53;
    static constexpr int kExactPower = 22;  // 10^22 is the largest exact power of ten
};
template <>
struct Limits<float> {
    static constexpr std::int64_t kOverflowFrom = 40;
    static constexpr std::int64_t kZeroBelow = -50;
    static constexpr std::uint64_t kExactMantissa = 1ULL << 24;
    static constexpr int kExactPower = 10;
};

// Saturation bound of the exponent text: far beyond every limit above even after adding
// or subtracting any digit count a text in memory can have (below 2^48).
constexpr std::int64_t kExponentCap = 1'000'000'000'000'000'000;

struct DecimalScan {
    bool negative = false;
    bool anyDigit = false;      // at least one mantissa digit, zero or not
    int kept = 0;               // significant digits in `digits`
    bool dropped = false;       // a non-zero significant digit beyond `digits`
    std::int64_t point = 0;     // P: V = 0.d1 d2 … × 10^P
    std::uint64_t leading = 0;  // the first (up to) 19 significant digits as a number
    std::array<char, kKeptDigits> digits;
};

// Collects one mantissa digit.
inline void addDigit(DecimalScan& d, char c, bool afterPoint) {
    d.anyDigit = true;
    if (d.kept == 0 && !d.dropped && c == '0') {
        if (afterPoint) --d.point;  // a leading zero after the point
        return;
    }
    if (!afterPoint) ++d.point;
    if (d.kept < kKeptDigits) {
        if (d.kept < 19) d.leading = d.leading * 10 + static_cast<unsigned>(c - '0');
        d.digits[d.kept++] = c;
    } else if (c != '0') {
        d.dropped = true;
    }
}

inline std::int64_t addExponentDigit(std::int64_t exponent, char c) {
    return exponent >= kExponentCap / 10 ? kExponentCap : exponent * 10 + (c - '0');
}

// Turns a scan into a value, correctly rounded to T. A value too large for T is an
// Overflow; one too small becomes a signed zero.
template <class T>
Conversion<T> toNumber(const DecimalScan& d, std::int64_t exponent) {
    const T zero = d.negative ? -T(0) : T(0);
    if (d.kept == 0) return {zero};
    const std::int64_t p = d.point + exponent;  // |point| < 2^48, |exponent| <= kExponentCap
    if (p >= Limits<T>::kOverflowFrom) return {T(0), ConversionError::Overflow};
    if (p < Limits<T>::kZeroBelow) return {zero};
    const auto scale = static_cast<int>(p - d.kept);  // V = digits × 10^scale
    // Plain decimals: the digits and the power of ten are exact, so one IEEE operation
    // rounds correctly.
    if (d.kept <= 19 && !d.dropped && d.leading <= Limits<T>::kExactMantissa &&
        scale >= -Limits<T>::kExactPower && scale <= Limits<T>::kExactPower) {
        constexpr T kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        const auto m = static_cast<T>(d.leading);
        const T value = scale < 0 ? m / kPowers[-scale] : m * kPowers[scale];
        return {d.negative ? -value : value};
    }
    std::array<char, kKeptDigits + 24> text;
    char* end = std::copy(d.digits.begin(), d.digits.begin() + d.kept, text.begin());
    int last = scale;
    if (d.dropped) {
        *end++ = '1';
        --last;
    }
    *end++ = 'e';
    end = std::to_chars(end, text.end(), last).ptr;
    T value{};
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec == std::errc::result_out_of_range) {
        if (p > 0) return {T(0), ConversionError::Overflow};
        return {zero};
    }
    return {d.negative ? -value : value};
}

bool isLenientBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// A cursor over the lenient reading's text: blanks, tabs and line feeds count nowhere.
class LenientCursor {
  public:
    explicit LenientCursor(std::string_view text) : m_text(text) { skip(); }
    bool atEnd() const { return m_at == m_text.size(); }
    char peek() const { return m_text[m_at]; }
    void next() {
        ++m_at;
        skip();
    }

  private:
    void skip() {
        while (m_at < m_text.size() && isLenientBlank(m_text[m_at])) ++m_at;
    }
    std::string_view m_text;
    size_t m_at = 0;
};

// The bits of a whole number in base 2^k, rounded to double at the end: the first 64
// significant bits and whether a one bit was dropped after them.
class BitCollector {
  public:
    void add(unsigned digit, int width) {
        if (m_bits == 0) width = std::bit_width(digit);  // skip leading zero bits
        if (width == 0) return;
        const int room = m_bits < 64 ? static_cast<int>(64 - m_bits) : 0;
        if (width <= room) {
            m_top = (m_top << width) | digit;
        } else {
            if (room > 0) m_top = (m_top << room) | (digit >> (width - room));
            if ((digit & ((1U << (width - room)) - 1)) != 0) m_dropped = true;
        }
        if (m_bits < (std::int64_t{1} << 50)) m_bits += width;
    }

    Conversion<double> value() const {
        if (m_bits == 0) return {0.0};
        if (m_bits > 1024) return {0.0, ConversionError::Overflow};
        // With 64 bits kept the rounding bit is bit 10; a dropped one bit set into bit 0
        // breaks a tie upwards, as the exact value does.
        const std::uint64_t top = m_top | (m_dropped ? 1U : 0U);
        const auto shift = static_cast<int>(m_bits > 64 ? m_bits - 64 : 0);
        const double value = std::ldexp(static_cast<double>(top), shift);
        if (std::isinf(value)) return {0.0, ConversionError::Overflow};
        return {value};
    }

  private:
    std::uint64_t m_top = 0;
    std::int64_t m_bits = 0;  // significant bits seen (saturating)
    bool m_dropped = false;
};

// "&H…" and "&O…", the cursor after the letter: the digits that follow as a non-negative
// whole number.
Conversion<double> readRadix(LenientCursor& at, bool hex) {
    BitCollector bits;
    for (; !at.atEnd(); at.next()) {
        const char c = at.peek();
        if (isDigit(c) && (hex || c <= '7')) {
            bits.add(static_cast<unsigned>(c - '0'), hex ? 4 : 3);
        } else if (hex && isHexDigit(c)) {
            bits.add(static_cast<unsigned>((c | 0x20) - 'a' + 10), 4);
        } else {
            break;
        }
    }
    return bits.value();
}

bool isStrictBlank(char c) { return c == ' ' || c == '\t'; }

template <class T>
Conversion<T> convertStrict(std::string_view text, std::string_view separator) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isStrictBlank(text[begin])) ++begin;
    while (end > begin && isStrictBlank(text[end - 1])) --end;
    const std::string_view s = text.substr(begin, end - begin);

    DecimalScan d;
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) d.negative = s[i++] == '-';
    bool seenPoint = false;
    while (i < s.size()) {
        if (isDigit(s[i])) {
            addDigit(d, s[i++], seenPoint);
        } else if (!seenPoint && !separator.empty() && s.substr(i).starts_with(separator)) {
            seenPoint = true;
            i += separator.size();
        } else {
            break;
        }
    }
    if (!d.anyDigit) return {T(0), ConversionError::TypeMismatch};
    std::int64_t exponent = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) negativeExponent = s[i++] == '-';
        if (i == s.size() || !isDigit(s[i])) return {T(0), ConversionError::TypeMismatch};
        while (i < s.size() && isDigit(s[i])) exponent = addExponentDigit(exponent, s[i++]);
        if (negativeExponent) exponent = -exponent;
    }
    if (i != s.size()) return {T(0), ConversionError::TypeMismatch};
    return toNumber<T>(d, exponent);
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
    LenientCursor at(text);  // "1 52" is 152, "& H1F" is 31
    if (!at.atEnd() && at.peek() == '&') {
        at.next();
        if (at.atEnd()) return {0.0};
        const char kind = at.peek();
        if (kind == 'H' || kind == 'h' || kind == 'O' || kind == 'o') {
            at.next();
            return readRadix(at, kind == 'H' || kind == 'h');
        }
        return {0.0};
    }
    DecimalScan d;
    if (!at.atEnd() && (at.peek() == '+' || at.peek() == '-')) {
        d.negative = at.peek() == '-';
        at.next();
    }
    bool seenPoint = false;
    for (; !at.atEnd(); at.next()) {
        const char c = at.peek();
        if (isDigit(c)) {
            addDigit(d, c, seenPoint);
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!d.anyDigit) return {0.0};
    std::int64_t exponent = 0;
    if (!at.atEnd() &&
        (at.peek() == 'E' || at.peek() == 'e' || at.peek() == 'D' || at.peek() == 'd')) {
        at.next();
        bool negativeExponent = false;
        if (!at.atEnd() && (at.peek() == '+' || at.peek() == '-')) {
            negativeExponent = at.peek() == '-';
            at.next();
        }
        for (; !at.atEnd() && isDigit(at.peek()); at.next()) {
            exponent = addExponentDigit(exponent, at.peek());
        }
        if (negativeExponent) exponent = -exponent;
    }
    return toNumber<double>(d, exponent);
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
