// Correctly rounded sine and cosine of doubles: the double nearest to the exact value, for
// every finite argument, with the same bits from every compiler, option and C library.
//
// Method
//   Tiny arguments: |x| < 2^-26 gives sin x = x, |x| < 2^-27 gives cos x = 1. The exact
//   value differs from these by less than x^3/6 (resp. x^2/2), below half the gap to the
//   neighbouring double.
//   Fast path (|x| < 2^20): k = nearest(x * 1024/pi) and t = x - k pi/1024 in
//   double-double, with pi/1024 in four pieces (three of 24 bits, whose products with k are
//   exact, and one of 53): |t| <= 2^-9.35, absolute error below (|k| + 1) 2^-130. With
//   k = 512 q + j, x = q pi/2 + u and u = j pi/1024 + t, so sin x and cos x are +-sin u
//   or +-cos u, and
//       sin u = S + C t + (C (sin t - t) + S (cos t - 1))
//       cos u = C - S t + (-S (sin t - t) + C (cos t - 1))
//   with S = sin(j pi/1024), C = cos(j pi/1024) from a table of double-doubles (computed
//   with MPFR), C t and S t exact by Dekker's product, and the two small brackets by short
//   Taylor polynomials in double. Relative to the result (which is at least half of the
//   table value it starts from), the errors are: cos t - 1 about 5 units of 2^-53 on
//   t^2/2 times 2 (2^-69.4), the sums of the brackets 3.5 units on 1.17 t^2 (2^-69.9),
//   sin t - t 1.5 units on t^2 (2^-71.1), the product A (cos t - 1) (2^-71.7), the
//   double-double parts below 2^-100: in all below 2^-68.2. The fast path accepts hi when
//   hi + (lo - e) and hi + (lo + e) round to the same double, with
//   e = 2^-67 |hi| + (|k| + 1) 2^-130. Rounding is monotone, so then every value within e
//   of hi + lo, the exact one included, rounds to hi. About one argument in 10,000 fails
//   the test.
//   Exact path (every other case): x * 2/pi reduced modulo 4 with 384 bits of 2/pi taken
//   from the words that matter for x's exponent (Payne and Hanek), the fraction held in a
//   256-bit fixed point; y = fraction * pi/2 and the Taylor series of sin y or cos y,
//   |y| <= pi/4, summed in that fixed point until the terms vanish. Absolute error below
//   2^-248; since |y| > 2^-62 for every double (the closest a double comes to a multiple
//   of pi/2 is about 2^-60.9), the relative error stays below 2^-185.
// Why the result is always correctly rounded
//   The exact value is never a midpoint between doubles (sin and cos of a non-zero double
//   are transcendental), and the exact path rounds it correctly unless it lies within
//   2^-185 (relative) of a midpoint, i.e. unless more than 130 bits after the rounding bit
//   are all equal. The published searches for the hardest-to-round doubles of sin and cos
//   (Lefevre and Muller; Hanrot, Lefevre, Stehle and Zimmermann for large arguments) find
//   runs far shorter (below about 70 bits), as a count over the 2^63 doubles also leads one
//   to expect. The tests compare 10^7 random arguments and the hardest ones we found with
//   MPFR at 200 bits.
#pragma once

namespace tavorin::trig {

double sin(double x);
double cos(double x);

namespace detail {

// The fast evaluation before its rounding test, for tests of the error bound: hi + lo
// approximates the function (cosine when `cosine`) with |error| <= bound. Returns false
// when x is outside the fast range or tiny.
struct Approximation {
    double hi;
    double lo;
    double bound;
};
bool fastApproximation(double x, bool cosine, Approximation& out);

// The exact path alone, for any finite x with |x| >= 2^-27.
double exactPath(double x, bool cosine);

}  // namespace detail
}  // namespace tavorin::trig
