// Checked double arithmetic of the calculation.
//
// Every operation rounds once to IEEE double (the project builds with -ffp-contract=off)
// and throws CalcFault where the runtime's value arithmetic faults:
//   a / 0                   -> DivisionByZero
//   a result beyond ±1.8E308 -> Overflow
//   (-8) ^ 0.5              -> InvalidArgument
// A single or integer operand enters with its exact value.
#pragma once

#include <cmath>

#include "engine/fault.h"

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

// x ^ y: the power function in double precision.
inline Real pow(Real base, Real exponent) {
    const double b = base.value();
    const double e = exponent.value();
    if (b < 0.0 && std::trunc(e) != e) throw CalcFault{FaultKind::InvalidArgument};
    if (b == 0.0 && e < 0.0) throw CalcFault{FaultKind::DivisionByZero};
    return detail::checked(std::pow(b, e));
}

inline Real sin(Real x) { return Real(std::sin(x.value())); }
inline Real cos(Real x) { return Real(std::cos(x.value())); }
inline Real abs(Real x) { return Real(std::fabs(x.value())); }

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
