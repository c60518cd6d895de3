// Correctly rounded arctangent of doubles: the double nearest to the exact atan x, for every
// double, with the same bits from every compiler, option and C library (whose atan it does
// not call).
//
// Method
//   Edges: +-0 keep their sign, NaN gives NaN. |x| < 2^-27 gives x, since x - atan x < x^3/3
//   is below half the gap under x (the exact limit is 0x1.d12ed0af1a27fp-27; the fast path
//   rounds the doubles up to it). |x| >= 2^53 and +-inf give +-pi/2 rounded: pi/2 - atan |x|
//   <= 2^-53, and pi/2 lies 2^-53.9 above that double.
//   Fast path: with a = min(|x|, 1), b = max(|x|, 1) and c = j/256 nearest to a/b,
//       t = (a - c b) / (b + c a),  |t| <= 2^-9 (1 + 2^-44),  atan |x| = A + s atan t,
//   A = atan c, s = 1 for |x| <= 1 and A = pi/2 - atan c, s = -1 above, A from a table of
//   double-doubles (computed with MPFR). The numerator is exact (of c b and c a one is c, the
//   other an exact Dekker product, and the difference is exact), t a double-double within
//   2^-100, and atan t - t = t^3 (-1/3 + t^2/5 - t^4/7) in double. Relative to the result
//   (at least |t| (1 - 2^-18)) the errors are: the polynomial's roundings, 4.5 units of 2^-53
//   on t^3/3 (2^-70.4); its cube taken of t's leading double (2^-71); its truncation
//   (2^-75.2); the three sums of the small parts (2^-71); the table and t below 2^-99: in
//   all below 2^-69.1. The fast path accepts hi when hi + (lo - e) and hi + (lo + e) round
//   to the same double, e = 2^-68 hi: rounding is monotone, so every value within e of
//   hi + lo, the exact one included, then rounds to it. About one argument in 20,000 fails
//   the test.
//   Exact path: the vector (b, a), scaled to 1/16 <= b < 1/8, is turned towards the x axis
//   by +-atan 2^-k, k = 0 ... 255 (CORDIC: shifts and adds in 256-bit fixed point), the
//   turns summed from a table of atan 2^-k (MPFR). What is left of the angle is below
//   2^-255, and each step's truncation moves it by less than 2^-251.5: absolute error below
//   2^-242.4, relative below 2^-215 (atan |x| >= 2^-27).
// Why the result is always correctly rounded
//   atan of a non-zero double is transcendental, so never a midpoint between doubles, and the
//   exact path rounds it correctly unless it lies within 2^-215 (relative) of one, i.e.
//   unless more than 160 bits after the rounding bit are all equal. The published searches
//   for the hardest-to-round doubles of atan (Lefevre and Muller) find runs far shorter:
//   CRlibm settles every double with 136 bits, and the hardest published arguments in our
//   tests have runs of 52 bits. The tests compare them and up to 10^7 random arguments with
//   MPFR.
#pragma once

#include "engine/trig.h"

namespace tavorin::trig {

double atan(double x);

namespace detail {

// The fast evaluation before its rounding test, for tests of the error bound: hi + lo
// approximates atan x with |error| <= bound. Returns false for |x| < 2^-27, |x| >= 2^53 and
// NaN.
bool fastAtanApproximation(double x, Approximation& out);

// The exact path alone, for any finite x with |x| >= 2^-27.
double exactAtan(double x);

}  // namespace detail
}  // namespace tavorin::trig
