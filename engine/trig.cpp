// Correctly rounded sine and cosine; the method and its error bounds are in trig.h.
#include "engine/trig.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/trig_arith.h"

namespace tavorin::trig {
namespace {

using namespace arith;

// sin(j pi/1024) and cos(j pi/1024) as double-doubles.
struct TableRow {
    double sinHi, sinLo, cosHi, cosLo;
};

#include "engine/trig_tables.inc"

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
