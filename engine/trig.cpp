// Correctly rounded sine and cosine; the method and its error bounds are in trig.h.
#include "engine/trig.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tavorin::trig {
namespace {

using u64 = std::uint64_t;
__extension__ typedef unsigned __int128 u128;

// sin(j pi/1024) and cos(j pi/1024) as double-doubles.
struct TableRow {
    double sinHi, sinLo, cosHi, cosLo;
};

#include "engine/trig_tables.inc"

// ---- Double-double building blocks (exact under round-to-nearest, no overflow) ----

// s + e = a + b exactly.
inline void twoSum(double a, double b, double& s, double& e) {
    s = a + b;
    const double bb = s - a;
    e = (a - (s - bb)) + (b - bb);
}

// s + e = a + b exactly, when a == 0 or |a| >= |b|.
inline void fastTwoSum(double a, double b, double& s, double& e) {
    s = a + b;
    e = b - (s - a);
}

// a = hi + lo with hi of 26 significant bits.
inline void split(double a, double& hi, double& lo) {
    const double c = 134217729.0 * a;  // 2^27 + 1
    hi = c - (c - a);
    lo = a - hi;
}

// p + e = a * b exactly.
inline void twoProduct(double a, double b, double& p, double& e) {
    double aUpper, aLower, bUpper, bLower;
    split(a, aUpper, aLower);
    split(b, bUpper, bLower);
    p = a * b;
    e = (((aUpper * bUpper - p) + aUpper * bLower) + aLower * bUpper) + aLower * bLower;
}

// Nearest integer of |v| < 2^51, ties to even, without the C library.
inline double nearestInteger(double v) {
    constexpr double kShifter = 0x1.8p52;
    return (v + kShifter) - kShifter;
}

constexpr double kFastLimit = 0x1p20;
constexpr double kRelativeBound = 0x1p-67;
constexpr double kAbsolutePerStep = 0x1p-130;

// Which function of the reduced argument y, and its sign, for x = k pi/2 + y.
struct Quadrant {
    bool sineOfY;
    bool negate;
};
inline Quadrant quadrant(unsigned k, bool cosine) {
    k &= 3;
    if (cosine) return {(k & 1) != 0, k == 1 || k == 2};
    return {(k & 1) == 0, k >= 2};
}

// The fast evaluation: hi + lo approximates sin x (cos x when `cosine`) within
// bound(hi, k), for 2^-27 <= |x| < kFastLimit. Branch-free, as the signs and quadrants of
// random arguments are not predictable.
[[gnu::always_inline]] inline double fastCore(double x, bool cosine, double& hi, double& lo) {
    // x = k pi/1024 + t, |t| <= pi/2048 (1 + 2^-23), t = rh + rl.
    const double kd = nearestInteger(x * kStepsPerRadian);
    const double s1 = x - kd * kStep1;  // exact: kStep1 is rounded down (Sterbenz)
    double h1, l1, h2, l2, rh, rl;
    twoSum(s1, -(kd * kStep2), h1, l1);
    twoSum(h1, -(kd * kStep3), h2, l2);
    twoSum(h2, (l1 + l2) - kd * kStep4, rh, rl);

    // k = 512 q + j: x = q pi/2 + u, u = j pi/1024 + t. sin x is sin u, cos u, -sin u,
    // -cos u for q = 0, 1, 2, 3 (mod 4); cos x is the same for q + 1.
    const long long k = static_cast<long long>(kd);
    const int j = static_cast<int>(k & 511);
    const unsigned q = static_cast<unsigned>(k >> 9) + (cosine ? 1 : 0);
    const bool sineOfU = (q & 1) == 0;

    // f(u) = A + B t + (B (sin t - t) + A (cos t - 1)): (A, B) = (S, C) for sin u and
    // (C, -S) for cos u, with S = sin(j pi/1024), C = cos(j pi/1024).
    const double* row = &kTable[j].sinHi;
    const double* pa = row + (sineOfU ? 0 : 2);
    const double* pb = row + (sineOfU ? 2 : 0);
    const double bSign = sineOfU ? 1.0 : -1.0;
    const double ah = pa[0], al = pa[1];
    const double bh = bSign * pb[0], bl = bSign * pb[1];

    // sin t - t and cos t - 1; the next terms are below 2^-101 |t| and 2^-90.
    const double t2 = rh * rh;
    const double sinTail = (rh * t2) * (-1.0 / 6 + t2 * (1.0 / 120 - t2 * (1.0 / 5040)));
    const double cosTail = t2 * (-0.5 + t2 * (1.0 / 24 - t2 * (1.0 / 720)));

    double p, pe, h, l;
    twoProduct(bh, rh, p, pe);
    fastTwoSum(ah, p, h, l);  // |A| >= |B t| or A = 0
    const double small = (pe + al) + (bh * rl + bl * rh);
    const double tails = bh * sinTail + ah * cosTail;
    fastTwoSum(h, l + (small + tails), hi, lo);
    const double sign = (q & 2) != 0 ? -1.0 : 1.0;
    hi *= sign;
    lo *= sign;
    return kRelativeBound * std::fabs(hi) + (std::fabs(kd) + 1.0) * kAbsolutePerStep;
}

}  // namespace

namespace detail {

bool fastApproximation(double x, bool cosine, Approximation& out) {
    const double ax = std::fabs(x);
    if (!(ax < kFastLimit) || ax < 0x1p-27) return false;
    out.bound = fastCore(x, cosine, out.hi, out.lo);
    return true;
}

}  // namespace detail

namespace {

// ---- 256-bit fixed point in [0, 1): w[0] is the most significant word ----

struct Fixed {
    u64 w[4];
};

inline bool isZero(const Fixed& a) { return (a.w[0] | a.w[1] | a.w[2] | a.w[3]) == 0; }

inline Fixed add(const Fixed& a, const Fixed& b) {  // modulo 1
    Fixed r;
    u64 carry = 0;
    for (int j = 3; j >= 0; --j) {
        const u128 s = static_cast<u128>(a.w[j]) + b.w[j] + carry;
        r.w[j] = static_cast<u64>(s);
        carry = static_cast<u64>(s >> 64);
    }
    return r;
}

inline Fixed subtract(const Fixed& a, const Fixed& b) {  // modulo 1
    Fixed r;
    u64 borrow = 0;
    for (int j = 3; j >= 0; --j) {
        const u128 d = static_cast<u128>(a.w[j]) - b.w[j] - borrow;
        r.w[j] = static_cast<u64>(d);
        borrow = static_cast<u64>(d >> 64) & 1;
    }
    return r;
}

// The product, truncated to 256 bits (error below 2^-256).
Fixed multiply(const Fixed& a, const Fixed& b) {
    u64 r[8] = {};
    for (int i = 3; i >= 0; --i) {
        u64 carry = 0;
        for (int j = 3; j >= 0; --j) {
            const u128 cur = static_cast<u128>(a.w[i]) * b.w[j] + r[i + j + 1] + carry;
            r[i + j + 1] = static_cast<u64>(cur);
            carry = static_cast<u64>(cur >> 64);
        }
        r[i] = carry;
    }
    return {{r[0], r[1], r[2], r[3]}};
}

// The quotient by a small divisor, truncated.
Fixed divide(const Fixed& a, u64 d) {
    Fixed r;
    u64 rem = 0;
    for (int j = 0; j < 4; ++j) {
        const u128 cur = (static_cast<u128>(rem) << 64) | a.w[j];
        r.w[j] = static_cast<u64>(cur / d);
        rem = static_cast<u64>(cur % d);
    }
    return r;
}

// sin z for 0 <= z < 1: z - z^3/3! + z^5/5! - ...
Fixed sineSeries(const Fixed& z) {
    const Fixed z2 = multiply(z, z);
    Fixed sum = z;
    Fixed term = z;
    for (u64 n = 1;; ++n) {
        term = divide(multiply(term, z2), (2 * n) * (2 * n + 1));
        if (isZero(term)) break;
        sum = (n % 2 == 1) ? subtract(sum, term) : add(sum, term);
    }
    return sum;
}

// cos z for 0 < z < 1, as 1 - (z^2/2! - z^4/4! + ...).
Fixed cosineSeries(const Fixed& z) {
    const Fixed z2 = multiply(z, z);
    Fixed term = divide(z2, 2);
    Fixed below = term;
    for (u64 n = 2;; ++n) {
        term = divide(multiply(term, z2), (2 * n - 1) * (2 * n));
        if (isZero(term)) break;
        below = (n % 2 == 0) ? subtract(below, term) : add(below, term);
    }
    return subtract(Fixed{{0, 0, 0, 0}}, below);
}

// The nearest double to a non-zero fixed-point value (ties to even).
double toDouble(const Fixed& v) {
    int word = 0;
    while (v.w[word] == 0) ++word;
    const int lead = 64 * word + std::countl_zero(v.w[word]);  // bit index of the leading 1
    const int li = lead / 64;
    const int shift = lead % 64;
    const u64 next = li + 1 < 4 ? v.w[li + 1] : 0;
    const u64 top = shift == 0 ? v.w[li] : (v.w[li] << shift) | (next >> (64 - shift));
    bool sticky = (top & 0x3ff) != 0;
    if (shift != 0) sticky = sticky || (next << shift) != 0;
    for (int j = li + 2; j < 4; ++j) sticky = sticky || v.w[j] != 0;
    if (shift == 0 && li + 1 < 4) sticky = sticky || v.w[li + 1] != 0;
    u64 mantissa = top >> 11;
    const bool roundBit = ((top >> 10) & 1) != 0;
    if (roundBit && (sticky || (mantissa & 1) != 0)) ++mantissa;
    return std::ldexp(static_cast<double>(mantissa), -(lead + 1) - 52);
}

}  // namespace

namespace detail {

double exactPath(double x, bool cosine) {
    const u64 bits = std::bit_cast<u64>(std::fabs(x));
    const int e = static_cast<int>(bits >> 52) - 1075;  // |x| = m 2^e
    const u64 m = (bits & ((u64{1} << 52) - 1)) | (u64{1} << 52);

    // Words of 2/pi before w0 only add multiples of 4 to |x| 2/pi.
    const int w0 = e >= 2 ? (e - 2) / 64 : 0;
    u64 product[7];  // m times six words of 2/pi, least significant word first
    u64 carry = 0;
    for (int j = 0; j < 6; ++j) {
        const u128 cur = static_cast<u128>(m) * kTwoOverPi[w0 + 5 - j] + carry;
        product[j] = static_cast<u64>(cur);
        carry = static_cast<u64>(cur >> 64);
    }
    product[6] = carry;
    const int point = 64 * (w0 + 6) - e;  // |x| 2/pi = product 2^-point; 319 <= point <= 463
    const auto bitsFrom = [&](int pos) {  // the 64 bits of product from bit pos upwards
        const int li = pos / 64;
        const int shift = pos % 64;
        const u64 low = li < 7 ? product[li] : 0;
        const u64 high = li + 1 < 7 ? product[li + 1] : 0;
        return shift == 0 ? low : (low >> shift) | (high << (64 - shift));
    };
    unsigned k = static_cast<unsigned>(bitsFrom(point) & 3);
    Fixed fraction{{bitsFrom(point - 64), bitsFrom(point - 128), bitsFrom(point - 192),
                    bitsFrom(point - 256)}};
    bool yNegative = false;
    if ((fraction.w[0] >> 63) != 0) {  // fraction >= 1/2: y = (fraction - 1) pi/2
        ++k;
        fraction = subtract(Fixed{{0, 0, 0, 0}}, fraction);
        yNegative = true;
    }
    // |y| = fraction * pi/2 = fraction + fraction * (pi/2 - 1) <= pi/4.
    const Fixed halfPiFraction{
        {kHalfPiFraction[0], kHalfPiFraction[1], kHalfPiFraction[2], kHalfPiFraction[3]}};
    const Fixed y = add(fraction, multiply(fraction, halfPiFraction));

    Quadrant quad = quadrant(k, cosine);
    if (yNegative && quad.sineOfY) quad.negate = !quad.negate;
    if (x < 0 && !cosine) quad.negate = !quad.negate;
    const double magnitude = toDouble(quad.sineOfY ? sineSeries(y) : cosineSeries(y));
    return quad.negate ? -magnitude : magnitude;
}

}  // namespace detail

namespace {

template <bool cosine>
double evaluate(double x) {
    if (std::fabs(x) < kFastLimit) {
        double hi, lo;
        const double bound = fastCore(x, cosine, hi, lo);
        const double up = hi + (lo + bound);
        if (up == hi + (lo - bound)) return up;
    }
    return detail::exactPath(x, cosine);
}

}  // namespace

double sin(double x) {
    const double ax = std::fabs(x);
    if (ax < 0x1p-26) return x;                                     // ±0 and subnormals included
    if (!(ax <= std::numeric_limits<double>::max())) return x - x;  // NaN for inf and NaN
    return evaluate<false>(x);
}

double cos(double x) {
    const double ax = std::fabs(x);
    if (ax < 0x1p-27) return 1.0;
    if (!(ax <= std::numeric_limits<double>::max())) return x - x;
    return evaluate<true>(x);
}

}  // namespace tavorin::trig
