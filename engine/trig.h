// Correctly rounded sine and cosine of doubles: the double nearest to the exact value, for
// every finite argument, with the same bits from every compiler, option and C library.
//
// Method
//   Tiny arguments: |x| < 2^-26 gives sin x = x, |x| < 2^-27 gives cos x = 1. The exact
//   value differs from these by less than x^3/6 (resp. x^2/2), below half the gap to the
//   neighbouring double.
//   Fast path (|x| < 2^20): k = nearest(x * 2/pi); r = x - k * pi/2 in double-double, with
//   pi/2 in four pieces (three of 32 bits, whose products with k are exact, and one of 53):
//   absolute error below 2^-104 |r| + 2^-127. Then r = a + t with a = i/256 the nearest
//   table point and |t| <= 2^-9, and
//       sin(a + t) = S + C t + (C (sin t - t) + S (cos t - 1))
//       cos(a + t) = C - S t + (-S (sin t - t) + C (cos t - 1))
//   with S = sin a, C = cos a from a table of double-doubles (computed with MPFR), C t
//   exact by Dekker's product, and the two small brackets by short Taylor polynomials in
//   double. The relative error of the double-double result hi + lo is below 2^-67.4 (the
//   rounding of t^2 and of the last sum dominate: about 5 units of 2^-53 on terms no larger
//   than 2^-17.8 of the result), so the fast path accepts hi when hi + (lo - e) and
//   hi + (lo + e) round to the same double, with e = 2^-66 |hi| + 2^-125. Rounding is
//   monotone, so then every value within e of hi + lo, the exact one included, rounds
//   to hi. About one argument in several thousand fails the test.
//   Exact path (every other case): x * 2/pi reduced modulo 4 with 384 bits of 2/pi taken
//   from the words that matter for x's exponent (Payne and Hanek), the fraction held in a
//   256-bit fixed point; y = fraction * pi/2 and the Taylor series of sin y or cos y,
//   |y| <= pi/4, summed in that fixed point until the terms vanish. Absolute error below
//   2^-248; since |y| > 2^-62 for every double (the closest a double comes to a multiple
//   of pi/2 is about 2^-60.9), the relative error stays below 2^-185.
// Why the result is always correctly rounded
//   The exact value is never a midpoint between doubles (sin and cos of a non-zero double
//   are transcendental). The searches of worst cases for sin and cos in double precision
//   (Lefevre and Muller, and later work on large arguments) find no argument whose value
//   lies closer than about 2^-(53+70) relative to a midpoint, far above the exact path's
//   2^-185: its nearest rounding is the correct one.
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
