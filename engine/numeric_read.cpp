#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "engine/numeric_text.h"

// The two readings of numeric_text.h: lenient and strict.
namespace tavorin {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

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

}  // namespace tavorin
