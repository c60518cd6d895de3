// Checked double arithmetic of the calculation.
//
// Every operation rounds once to IEEE double (the project builds with -ffp-contract=off)
// and throws CalcFault where the runtime's value arithmetic faults:
//   a / 0                   -> DivisionByZero
//   a result beyond ±1.8E308 -> Overflow
//   (-8) ^ 0.5              -> InvalidArgument
// sin, cos and atan are correctly rounded, x ^ 2 and x ^ 0.5 are single IEEE operations.
// A single or integer operand enters with its exact value.
#pragma once

#include <cmath>

#include "engine/atan.h"
#include "engine/fault.h"
#include "engine/trig.h"

namespace tavorin {

class Real {
  public:
    constexpr Real() = default;
    constexpr Real(double v) : m_value(v) {}  // NOLINT: numbers enter formulas as written
    constexpr Real(float v) : m_value(v) {}   // NOLINT: a single enters exactly
    constexpr Real(int v) : m_value(v) {}     // NOLINT: an integer constant enters exactly
    constexpr double value() const { return m_value; }

  private:
    double m_value = 0.0;
};

namespace detail {
inline Real checked(double result) {
    if (!std::isfinite(result)) throw CalcFault{FaultKind::Overflow};
    return Real(result);
}
}  // namespace detail

inline Real operator+(Real a, Real b) { return detail::checked(a.value() + b.value()); }
inline Real operator-(Real a, Real b) { return detail::checked(a.value() - b.value()); }
inline Real operator*(Real a, Real b) { return detail::checked(a.value() * b.value()); }
inline Real operator/(Real a, Real b) {
    if (b.value() == 0.0) throw CalcFault{FaultKind::DivisionByZero};
    return detail::checked(a.value() / b.value());
}
inline Real operator-(Real a) { return Real(-a.value()); }

// The exponents of x ^ y that the calculation uses: 2 and 0.5. Any other exponent does not
// compile, so every power is one correctly rounded operation.
class Exponent {
  public:
    consteval Exponent(int e) : m_square(e == 2) {  // NOLINT: written as in the formulas
        if (e != 2) throw "x ^ y: only the exponents 2 and 0.5 are supported";
    }
    consteval Exponent(double e) : m_square(false) {  // NOLINT
        if (e != 0.5) throw "x ^ y: only the exponents 2 and 0.5 are supported";
    }
    constexpr bool isSquare() const { return m_square; }

  private:
    bool m_square;
};

// x ^ 2 is x * x and x ^ 0.5 the IEEE square root, each rounded once. (-0) ^ 0.5 = +0; a
// negative base with the exponent 0.5 is an InvalidArgument.
inline Real pow(Real base, Exponent exponent) {
    const double b = base.value();
    if (exponent.isSquare()) return detail::checked(b * b);
    if (b < 0.0) throw CalcFault{FaultKind::InvalidArgument};
    return detail::checked(std::sqrt(b) + 0.0);  // + 0.0 turns -0 into +0
}

// Correctly rounded (trig.h, atan.h): the same bits on every build and platform.
inline Real sin(Real x) { return Real(trig::sin(x.value())); }
inline Real cos(Real x) { return Real(trig::cos(x.value())); }
inline Real atan(Real x) { return Real(trig::atan(x.value())); }
inline Real abs(Real x) { return Real(std::fabs(x.value())); }
// The greater of a and b; b when they are equal (max(-0, 0) = +0). Never faults.
inline Real max(Real a, Real b) { return a.value() > b.value() ? a : b; }

// Int(x): the floor, as a double. Int(-10.3) = -11.
inline Real intFloor(Real x) { return Real(std::floor(x.value())); }

// Rounding to single precision; a value beyond the single range is an Overflow.
inline float toSingle(Real x) {
    const auto s = static_cast<float>(x.value());
    if (!std::isfinite(s)) throw CalcFault{FaultKind::Overflow};
    return s;
}

// round2(x) = Int((x * 100) + 0.5) / 100. Halves round upwards, also below zero:
// round2(-0.125) = -0.12.
template <class N>
N roundHundredths(const N& x) {
    return intFloor((x * 100) + 0.5) / 100;
}
inline Real round2(Real x) { return roundHundredths(x); }

}  // namespace tavorin
