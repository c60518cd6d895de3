// Correctly rounded arctangent; the method and its error bounds are in atan.h.
#include "engine/atan.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "engine/trig_arith.h"

namespace tavorin::trig {
namespace {

using namespace arith;

// atan(j/256) and pi/2 - atan(j/256) as double-doubles.
struct AtanRow {
    double atanHi, atanLo, complementHi, complementLo;
};

#include "engine/atan_tables.inc"

constexpr double kTinyLimit = 0x1p-27;  // below it atan x rounds to x
constexpr double kHugeLimit = 0x1p53;   // from it on atan |x| rounds to pi/2
constexpr double kRelativeBound = 0x1p-68;
constexpr double kHalfPi = kAtanTable[0].complementHi;  // pi/2 rounded

// hi + lo approximates atan |x| within kRelativeBound hi, for kTinyLimit <= |x| <
// kHugeLimit. Branch-free: slopes near 1 fall on either side of |x| = 1 unpredictably.
[[gnu::always_inline]] inline void fastCore(double ax, double& hi, double& lo) {
    // atan(a/b), a/b <= 1: a = |x|, b = 1, or a = 1, b = |x| and atan |x| = pi/2 - atan(a/b).
    const bool large = ax > 1.0;
    const double a = large ? 1.0 : ax;
    const double b = large ? ax : 1.0;
    const double j = nearestInteger((a / b) * kAtanSteps);
    const double c = j * (1.0 / kAtanSteps);

    // t = (a - c b) / (b + c a), |t| <= 2^-9 (1 + 2^-44). Of c b and c a one is c, the other
    // c |x| = ph + pl exactly; a - c b is exact (Sterbenz below 1, c |x| in [1/2, 4) above).
    double ph, pl, nh, nl, s, e, dh, dl;
    twoProduct(c, ax, ph, pl);
    fastTwoSum(a - (large ? ph : c), large ? -pl : 0.0, nh, nl);
    twoSum(b, large ? c : ph, s, e);
    fastTwoSum(s, e + (large ? 0.0 : pl), dh, dl);
    const double th = nh / dh;
    double u, ue;
    twoProduct(th, dh, u, ue);  // nh - u is exact (Sterbenz)
    const double tl = (((nh - u) - ue) + (nl - th * dl)) / dh;

    // atan t - t = t^3 (-1/3 + t^2/5 - t^4/7) within 2^-75.2 |t|.
    const double t2 = th * th;
    const double tail = (th * t2) * (-1.0 / 3 + t2 * (1.0 / 5 - t2 * (1.0 / 7)));

    // atan |x| = A + sign atan t: A = atan c and sign 1, or A = pi/2 - atan c and sign -1.
    const double* row = &kAtanTable[static_cast<int>(j)].atanHi + (large ? 2 : 0);
    const double sign = large ? -1.0 : 1.0;
    double h, l;
    fastTwoSum(row[0], sign * th, h, l);  // A = 0 or A > 2 |t|
    fastTwoSum(h, l + (row[1] + sign * (tl + tail)), hi, lo);
}

// ---- The exact path's fixed point (trig_arith.h) with a sign: two's complement modulo 1 ----

// v 2^-k, truncated (0 <= k < 256); `fill` is all ones for a negative v, else 0.
Fixed shiftRight(const Fixed& v, int k, u64 fill) {
    const u64 padded[8] = {fill, fill, fill, fill, v.w[0], v.w[1], v.w[2], v.w[3]};
    const int from = 4 - k / 64;  // padded[from + i] holds word i of v >> (64 * (k / 64))
    const int bits = k % 64;
    Fixed r;
    for (int i = 0; i < 4; ++i) {
        const u64 cur = padded[from + i];
        r.w[i] = bits == 0 ? cur : (cur >> bits) | (padded[from + i - 1] << (64 - bits));
    }
    return r;
}

// a + (b ^ mask) + carry modulo 1: a + b for mask 0 and carry 0, a - b for mask ~0 and carry 1.
Fixed addMasked(const Fixed& a, const Fixed& b, u64 mask, u64 carry) {
    Fixed r;
    for (int j = 3; j >= 0; --j) {
        const u128 s = static_cast<u128>(a.w[j]) + (b.w[j] ^ mask) + carry;
        r.w[j] = static_cast<u64>(s);
        carry = static_cast<u64>(s >> 64);
    }
    return r;
}

// A normal double 0 < v < 1 whose last bit is at least 2^-256, exactly.
Fixed fromDouble(double v) {
    const u64 bits = std::bit_cast<u64>(v);
    const int e = static_cast<int>(bits >> 52) - 1075;  // v = m 2^e
    const u64 m = (bits & ((u64{1} << 52) - 1)) | (u64{1} << 52);
    const int shift = 256 + e;  // v = (m << shift) 2^-256
    const int word = 3 - shift / 64;
    const int bit = shift % 64;
    Fixed r{{0, 0, 0, 0}};
    r.w[word] = m << bit;
    if (bit > 11) r.w[word - 1] = m >> (64 - bit);
    return r;
}

// atan 2^-k, k = 0 ... 255, truncated: from the table, then 2^-k (within 2^-258).
Fixed atanOfPower(int k) {
    if (k < kAtanPowerRows) {
        const std::uint64_t* w = kAtanOfPower[k];
        return {{w[0], w[1], w[2], w[3]}};
    }
    Fixed r{{0, 0, 0, 0}};
    r.w[(k - 1) / 64] = u64{1} << (63 - (k - 1) % 64);
    return r;
}

}  // namespace

namespace detail {

bool fastAtanApproximation(double x, Approximation& out) {
    const double ax = std::fabs(x);
    if (!(ax >= kTinyLimit && ax < kHugeLimit)) return false;
    fastCore(ax, out.hi, out.lo);
    out.bound = kRelativeBound * out.hi;
    if (x < 0) {
        out.hi = -out.hi;
        out.lo = -out.lo;
    }
    return true;
}

double exactAtan(double x) {
    const double ax = std::fabs(x);
    if (ax >= kHugeLimit) return x < 0 ? -kHalfPi : kHalfPi;
    // The vector (b, a) of the fast path, scaled so that 1/16 <= b < 1/8: its length stays
    // below 1/2 as the turns stretch it (by at most 1.65), so |y| < 1/2 and 0 < x < 1.
    const bool large = ax > 1.0;
    const int exponent = large ? static_cast<int>(std::bit_cast<u64>(ax) >> 52) - 1023 : 0;
    const double scale = std::ldexp(1.0, -(exponent + 4));
    Fixed px = fromDouble((large ? ax : 1.0) * scale);
    Fixed py = fromDouble((large ? 1.0 : ax) * scale);
    Fixed angle{{0, 0, 0, 0}};
    // Turn it towards the x axis by atan 2^-k, k = 0 ... 255, each time in the direction
    // that brings y closer to 0 (CORDIC); the turns add up to atan(a/b) within 2^-255. From
    // k = 128 on, |y| 2^-k < 2^-256: x would change by less than its last bit.
    for (int k = 0; k < 256; ++k) {
        const u64 negative = (py.w[0] >> 63) != 0 ? ~u64{0} : 0;  // y < 0: turn the other way
        const u64 positive = ~negative;
        const Fixed dy = shiftRight(px, k, 0);
        if (k < 128) px = addMasked(px, shiftRight(py, k, negative), negative, negative & 1);
        py = addMasked(py, dy, positive, positive & 1);
        angle = addMasked(angle, atanOfPower(k), negative, negative & 1);
    }
    // Above 1: atan |x| = pi/2 - angle = 2 (pi/4 - angle/2).
    const Fixed quarterPi{{kQuarterPi[0], kQuarterPi[1], kQuarterPi[2], kQuarterPi[3]}};
    const double magnitude =
        large ? 2.0 * toDouble(subtract(quarterPi, shiftRight(angle, 1, 0))) : toDouble(angle);
    return x < 0 ? -magnitude : magnitude;
}

}  // namespace detail

double atan(double x) {
    const double ax = std::fabs(x);
    if (ax < kTinyLimit) return x;  // ±0 and subnormals included
    if (!(ax < kHugeLimit)) return ax == ax ? (x < 0 ? -kHalfPi : kHalfPi) : x + x;
    double hi, lo;
    fastCore(ax, hi, lo);
    const double bound = kRelativeBound * hi;
    const double up = hi + (lo + bound);
    if (up == hi + (lo - bound)) return x < 0 ? -up : up;
    return detail::exactAtan(x);
}

}  // namespace tavorin::trig
