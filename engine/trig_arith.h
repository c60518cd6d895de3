// Arithmetic shared by the correctly rounded functions (trig.cpp, atan.cpp): double-double
// pieces that are exact under round-to-nearest, and a 256-bit fixed point in [0, 1).
// Internal to the engine's sources; nothing outside engine/ includes it.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace tavorin::trig::arith {

using u64 = std::uint64_t;
__extension__ typedef unsigned __int128 u128;

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
inline Fixed multiply(const Fixed& a, const Fixed& b) {
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
inline Fixed divide(const Fixed& a, u64 d) {
    Fixed r;
    u64 rem = 0;
    for (int j = 0; j < 4; ++j) {
        const u128 cur = (static_cast<u128>(rem) << 64) | a.w[j];
        r.w[j] = static_cast<u64>(cur / d);
        rem = static_cast<u64>(cur % d);
    }
    return r;
}

// The nearest double to a non-zero fixed-point value (ties to even).
inline double toDouble(const Fixed& v) {
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

}  // namespace tavorin::trig::arith
