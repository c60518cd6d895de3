// sin, cos, atan, square and square root against MPFR at 200 bits (atan: rounded by MPFR
// to the double directly).
//
// The CI run checks 10^6 arguments of sin and cos and 10^6 of atan; TAVORIN_REFERENCE_SCALE=10
// (the `trig-full` target) ten times as many, 0.05 (the sanitizer build) a twentieth.
#include "engine/trig.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "engine/atan.h"
#include "engine/real.h"

namespace tavorin {
namespace {

// The correctly rounded value of f(x), from 200 bits.
class Reference {
  public:
    using Function = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
    Reference() {
        mpfr_inits2(200, m_x, m_y, static_cast<mpfr_ptr>(nullptr));
        mpfr_init2(m_double, 53);
    }
    ~Reference() { mpfr_clears(m_x, m_y, m_double, static_cast<mpfr_ptr>(nullptr)); }
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;

    double sin(double x) { return apply(x, mpfr_sin); }
    double cos(double x) { return apply(x, mpfr_cos); }
    double sqrt(double x) { return apply(x, mpfr_sqrt); }
    double square(double x) { return apply(x, mpfr_sqr); }
    // MPFR rounds to 53 bits itself: correctly rounded, and faster than from 200 bits.
    double atan(double x) {
        mpfr_set_d(m_x, x, MPFR_RNDN);
        mpfr_atan(m_double, m_x, MPFR_RNDN);
        return mpfr_get_d(m_double, MPFR_RNDN);
    }
    // |approximation - f(x)| at 200 bits, as a double (rounded up).
    double errorOf(double x, Function f, double hi, double lo) {
        mpfr_set_d(m_x, x, MPFR_RNDN);
        f(m_y, m_x, MPFR_RNDN);
        mpfr_sub_d(m_y, m_y, hi, MPFR_RNDN);
        mpfr_sub_d(m_y, m_y, lo, MPFR_RNDN);
        return std::fabs(mpfr_get_d(m_y, MPFR_RNDU));
    }

  private:
    double apply(double x, Function f) {
        mpfr_set_d(m_x, x, MPFR_RNDN);
        f(m_y, m_x, MPFR_RNDN);
        return mpfr_get_d(m_y, MPFR_RNDN);
    }
    mpfr_t m_x, m_y, m_double;
};

// How many arguments, as a multiple of the CI's: TAVORIN_REFERENCE_SCALE (default 1).
long scaled(long count) {
    const char* s = std::getenv("TAVORIN_REFERENCE_SCALE");
    const double factor = s ? std::atof(s) : 1.0;
    const auto n = static_cast<long>(static_cast<double>(count) * factor);
    return n > 0 ? n : 1;
}

bool sameDouble(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) ||
           (std::isnan(a) && std::isnan(b));
}

std::string hex(double x) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%a", x);
    return buf;
}

// One class of arguments: a name, how many (at scale 1) and how to draw one.
struct ArgumentClass {
    const char* name;
    long count;
    std::function<double(std::mt19937_64&)> draw;
};

double anyBinade(std::mt19937_64& g) {  // every exponent equally likely, normal doubles
    const std::uint64_t exponent = 1 + g() % 2046;
    const std::uint64_t bits = (g() & ((std::uint64_t{1} << 52) - 1)) | (exponent << 52);
    const double x = std::bit_cast<double>(bits);
    return (g() & 1) ? -x : x;
}

double subnormal(std::mt19937_64& g) {
    const double x = std::bit_cast<double>(g() & ((std::uint64_t{1} << 52) - 1));
    return (g() & 1) ? -x : x;
}

// A few units in the last place from a multiple of pi/2: small results, hard reductions.
double nearHalfPiMultiple(std::mt19937_64& g, int kBits = 22) {
    const double k = static_cast<double>(1 + g() % (std::uint64_t{1} << kBits));
    double x = k * 1.5707963267948966;
    for (int steps = static_cast<int>(g() % 9) - 4; steps != 0; steps += steps > 0 ? -1 : 1)
        x = std::nextafter(x, steps > 0 ? INFINITY : -INFINITY);
    return (g() & 1) ? -x : x;
}

double uniform(std::mt19937_64& g, double limit) {
    return std::uniform_real_distribution<double>(-limit, limit)(g);
}

double anyBitPattern(std::mt19937_64& g) { return std::bit_cast<double>(g()); }

// |x| in [2^lowest, 2^(lowest + binades)), every binade equally likely, either sign.
double inBinades(std::mt19937_64& g, int lowest, int binades) {
    const int e = lowest + static_cast<int>(g() % static_cast<std::uint64_t>(binades));
    const double x = std::ldexp(std::uniform_real_distribution<double>(1.0, 2.0)(g), e);
    return (g() & 1) ? -x : x;
}

double slope(std::mt19937_64& g) {
    const double x = std::uniform_real_distribution<double>(0.001, 10.0)(g);
    return (g() & 1) ? -x : x;
}

const std::vector<ArgumentClass>& argumentClasses() {
    static const std::vector<ArgumentClass> classes = {
        {"|x| < 2 pi", 350'000, [](std::mt19937_64& g) { return uniform(g, 6.283185307179586); }},
        {"|x| < 1e6", 250'000, [](std::mt19937_64& g) { return uniform(g, 1e6); }},
        {"every binade", 250'000, anyBinade},
        {"near multiples of pi/2", 100'000,
         [](std::mt19937_64& g) { return nearHalfPiMultiple(g); }},
        {"subnormals", 50'000, subnormal},
    };
    return classes;
}

// Arguments that are hard for the reduction or the rounding: zeros, the limits, the
// double closest to a multiple of pi/2 (6381956970095103 * 2^797), the tiny-argument
// boundaries, angles of the calculation, and the hardest cases of a search of ours.
const double kSpecialArguments[] = {
    0.0, -0.0, std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::min(),
    std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
    0x1.6ac5b262ca1ffp+849,  // 6381956970095103 * 2^797
    0x1p-26, 0x1p-27, 0x1.fffffffffffffp-27, 0x1.fffffffffffffp-28,
    0x1.921fb54442d18p+0,  // pi/2
    0x1.921fb54442d18p+1,  // pi
    0x1.921fb54442d18p-1,  // pi/4
    0x1.921fb54442d19p-1, 0x1p20, 0x1.fffffffffffffp+19, 1e22, 1e30 * 3.1416 / 180,
    0.6108652381980153,  // 35 degrees
    1.0995574287564276,  // 63 degrees
    // The hardest to round of 2 * 10^8 random arguments (|x| < 2 pi and 2^-26 ... 2^21):
    // their sin or cos lies within 2^-25 ulp of a midpoint.
    0x1.06078b5efd6p+3,     // cos, 2^-30.1 ulp
    0x1.474fd13808417p+12,  // cos, 2^-27.6 ulp
    0x1.62c0b53ae0d5p+1,    // sin, 2^-27.2 ulp
    0x1.f0d4ec5e23f7p-4,    // cos, 2^-26.9 ulp
    -0x1.24e4f2bb219d8p-1,  // sin, 2^-26.3 ulp
    0x1.54f0d88ce9622p+2,   // sin, 2^-26.3 ulp
    0x1.ebba95c644bccp-21,  // sin, 2^-25.9 ulp
    0x1.77ea35d49a78ap-24,  // cos, 2^-25.8 ulp
};

TEST(CorrectlyRounded, SinAndCosOfSpecialArguments) {
    Reference ref;
    for (double x : kSpecialArguments) {
        SCOPED_TRACE(hex(x));
        EXPECT_PRED2(sameDouble, trig::sin(x), ref.sin(x));
        EXPECT_PRED2(sameDouble, trig::cos(x), ref.cos(x));
    }
    EXPECT_TRUE(std::signbit(trig::sin(-0.0)));
    EXPECT_TRUE(std::isnan(trig::sin(INFINITY)));
    EXPECT_TRUE(std::isnan(trig::cos(-INFINITY)));
    EXPECT_TRUE(std::isnan(trig::cos(NAN)));
}

TEST(CorrectlyRounded, SinAndCosOfRandomArguments) {
    Reference ref;
    std::mt19937_64 g(20261208);
    for (const ArgumentClass& c : argumentClasses()) {
        long mismatches = 0;
        const long n = scaled(c.count);
        for (long i = 0; i < n; ++i) {
            const double x = c.draw(g);
            const bool sinOk = sameDouble(trig::sin(x), ref.sin(x));
            const bool cosOk = sameDouble(trig::cos(x), ref.cos(x));
            if (!sinOk || !cosOk) {
                if (++mismatches <= 5)
                    ADD_FAILURE() << c.name << ": " << (sinOk ? "cos" : "sin") << "(" << hex(x)
                                  << ")";
            }
        }
        std::printf("[ reference ] %-24s %9ld arguments, %ld mismatches\n", c.name, n, mismatches);
        EXPECT_EQ(mismatches, 0) << c.name;
    }
}

// The fast path's stated bound holds: |hi + lo - f(x)| <= bound, and the observed errors
// come within sight of it (a bound far above every error would send too many arguments
// to the exact path).
TEST(CorrectlyRounded, FastPathErrorStaysWithinItsBound) {
    Reference ref;
    std::mt19937_64 g(7);
    double worst = 0.0;
    long undecided = 0;
    const long n = scaled(100'000);
    for (long i = 0; i < n; ++i) {
        const double x = i % 3 == 0   ? uniform(g, 6.283185307179586)
                         : i % 3 == 1 ? uniform(g, 0x1p20)
                                      : nearHalfPiMultiple(g, 19);
        for (bool cosine : {false, true}) {
            trig::detail::Approximation a;
            if (!trig::detail::fastApproximation(x, cosine, a)) continue;
            const double err = ref.errorOf(x, cosine ? mpfr_cos : mpfr_sin, a.hi, a.lo);
            ASSERT_LE(err, a.bound) << (cosine ? "cos(" : "sin(") << hex(x) << ")";
            worst = std::max(worst, err / a.bound);
            if (a.hi + (a.lo + a.bound) != a.hi + (a.lo - a.bound)) ++undecided;
        }
    }
    std::printf("[ reference ] fast path: largest error %.3g of its bound; %ld of %ld undecided\n",
                worst, undecided, 2 * n);
    EXPECT_GT(worst, 1.0 / 64);
}

// The exact path agrees with MPFR everywhere, also where the fast path would decide.
TEST(CorrectlyRounded, ExactPathMatchesTheReference) {
    Reference ref;
    std::mt19937_64 g(11);
    const long n = scaled(20'000);
    for (long i = 0; i < n; ++i) {
        double x = i % 3 == 0   ? uniform(g, 6.283185307179586)
                   : i % 3 == 1 ? nearHalfPiMultiple(g, 22)
                                : anyBinade(g);
        if (std::fabs(x) < 0x1p-27) x = 0.5;
        ASSERT_PRED2(sameDouble, trig::detail::exactPath(x, false), ref.sin(x)) << hex(x);
        ASSERT_PRED2(sameDouble, trig::detail::exactPath(x, true), ref.cos(x)) << hex(x);
    }
    for (long i = 0; i < n; ++i) {
        const double x = i % 2 == 0 ? inBinades(g, -27, 80) : slope(g);
        ASSERT_PRED2(sameDouble, trig::detail::exactAtan(x), ref.atan(x)) << hex(x);
    }
}

// atan's edges and limits, each also negated.
const double kAtanEdges[] = {
    0.0,
    0x1p-1074,              // subnormal
    0x1.fffffffffffffp-28,  // atan x rounds to x below 2^-27
    0x1p-27,
    0x1.d12ed0af1a27fp-27,  // the last double that atan leaves unchanged
    0x1.d12ed0af1a28p-27,   // the first it moves
    0x1p-9,                 // 0.5/256: the largest reduced argument below 1
    0x1.fffffffffffffp-10,
    0x1.8p-8,              // 1.5/256: a tie between two steps
    0x1.fffffffffffffp-1,  // either side of 1
    1.0,
    0x1.0000000000001p+0,
    0x1p+9,  // 512: the largest reduced argument above 1
    0x1.0000000000001p+9,
    0x1.fffffffffffffp+52,  // pi/2 rounded from 2^53 on
    0x1p+53,
    0x1.fffffffffffffp+1023,
    INFINITY,
    NAN,
    0.001,  // slopes of real penstocks
    0.7,
    10.0,
};

// The hardest to round of the published arguments whose atan has at least 43 equal bits
// after the rounding bit (CORE-MATH's atan.wc): of the 1,395 we checked, these lie within
// 2^-48 ulp of a midpoint, the first within 2^-52.1.
const double kAtanHardCases[] = {
    0x1.c2851289d8a0dp-20, 0x1.02c3030b4f89fp-21, 0x1.bfc4ad59e309p-6,   0x1.00d9e387d944p+10,
    0x1.015e198ca720dp+7,  0x1.01a6da3cda801p-6,  0x1.02332a9146a9bp+10, 0x1.000a9ac7bfd91p-4,
    0x1.c40bb74951d21p+5,  0x1.c46fab69820d4p-17, 0x1.0332676d7aceap-19, 0x1.00c24c7a590d4p-13,
    0x1.c4423aafac454p-22, 0x1.014542418ec42p+9,  0x1.0235ba6a27e4ap+22, 0x1.013f7129a009bp-1,
    0x1.bfaf8ba03f50dp+4,  0x1.c010727b8e908p-1};

TEST(CorrectlyRounded, AtanOfSpecialAndHardArguments) {
    Reference ref;
    for (std::span<const double> list :
         {std::span<const double>(kAtanEdges), std::span<const double>(kAtanHardCases)}) {
        for (double x : list) {
            for (double y : {x, -x}) {
                SCOPED_TRACE(hex(y));
                EXPECT_PRED2(sameDouble, trig::atan(y), ref.atan(y));
            }
        }
    }
    EXPECT_TRUE(std::signbit(trig::atan(-0.0)));
    EXPECT_EQ(trig::atan(-INFINITY), -0x1.921fb54442d18p+0);
}

// Every bit pattern (NaNs, infinities and subnormals too), a dense sample of 2^-30 ... 2^30,
// and the slopes dZ/dX of real penstocks.
TEST(CorrectlyRounded, AtanOfRandomArguments) {
    const ArgumentClass classes[] = {
        {"any bit pattern", 300'000, anyBitPattern},
        {"2^-30 <= |x| < 2^30", 400'000, [](std::mt19937_64& g) { return inBinades(g, -30, 60); }},
        {"slopes 0.001 ... 10", 300'000, slope},
    };
    Reference ref;
    std::mt19937_64 g(20261210);
    for (const ArgumentClass& c : classes) {
        long mismatches = 0;
        long exact = 0;
        const long n = scaled(c.count);
        for (long i = 0; i < n; ++i) {
            const double x = c.draw(g);
            if (!sameDouble(trig::atan(x), ref.atan(x)) && ++mismatches <= 5)
                ADD_FAILURE() << c.name << ": atan(" << hex(x) << ")";
            trig::detail::Approximation a;
            if (trig::detail::fastAtanApproximation(x, a) &&
                a.hi + (a.lo + a.bound) != a.hi + (a.lo - a.bound))
                ++exact;
        }
        std::printf("[ reference ] atan %-20s %9ld arguments, %ld mismatches, %ld exact path\n",
                    c.name, n, mismatches, exact);
        EXPECT_EQ(mismatches, 0) << c.name;
    }
}

// As for sin and cos: the bound holds, and the errors come within sight of it.
TEST(CorrectlyRounded, AtanFastPathErrorStaysWithinItsBound) {
    Reference ref;
    std::mt19937_64 g(13);
    double worst = 0.0;
    long undecided = 0;
    const long n = scaled(100'000);
    for (long i = 0; i < n; ++i) {
        const double x = i % 2 == 0 ? inBinades(g, -27, 80) : slope(g);
        trig::detail::Approximation a;
        ASSERT_TRUE(trig::detail::fastAtanApproximation(x, a)) << hex(x);
        const double err = ref.errorOf(x, mpfr_atan, a.hi, a.lo);
        ASSERT_LE(err, a.bound) << "atan(" << hex(x) << ")";
        worst = std::max(worst, err / a.bound);
        if (a.hi + (a.lo + a.bound) != a.hi + (a.lo - a.bound)) ++undecided;
    }
    std::printf(
        "[ reference ] atan fast path: largest error %.3g of its bound; %ld of %ld "
        "undecided\n",
        worst, undecided, n);
    EXPECT_GT(worst, 1.0 / 64);
}

TEST(CorrectlyRounded, SquareAndSquareRootOfThePowerFunction) {
    Reference ref;
    std::mt19937_64 g(3);
    const long n = scaled(200'000);
    for (long i = 0; i < n; ++i) {
        const double y = i % 2 ? std::uniform_real_distribution<double>(0.1, 10000)(g)
                               : std::fabs(anyBinade(g)) * 0x1p-512;
        ASSERT_PRED2(sameDouble, pow(Real(y), 2).value(), ref.square(y)) << hex(y);
        ASSERT_PRED2(sameDouble, pow(Real(-y), 2).value(), ref.square(y)) << hex(y);
        ASSERT_PRED2(sameDouble, pow(Real(y), 0.5).value(), ref.sqrt(y)) << hex(y);
    }
}

TEST(Power, EdgeCasesOfSquareAndSquareRoot) {
    EXPECT_TRUE(sameDouble(pow(Real(-0.0), 0.5).value(), 0.0));  // +0, not -0
    EXPECT_TRUE(sameDouble(pow(Real(0.0), 0.5).value(), 0.0));
    EXPECT_TRUE(sameDouble(pow(Real(-0.0), 2).value(), 0.0));
    EXPECT_EQ(pow(Real(4.0), 0.5).value(), 2.0);
    EXPECT_EQ(pow(Real(-3.0), 2).value(), 9.0);
    EXPECT_EQ(pow(Real(std::numeric_limits<double>::denorm_min()), 0.5).value(), 0x1p-537);
    const auto faultOf = [](auto f) -> int {
        try {
            f();
        } catch (const CalcFault& fault) {
            return static_cast<int>(fault.kind);
        }
        return -1;
    };
    EXPECT_EQ(faultOf([] { pow(Real(-8.0), 0.5); }), static_cast<int>(FaultKind::InvalidArgument));
    EXPECT_EQ(faultOf([] { pow(Real(-1e-300), 0.5); }),
              static_cast<int>(FaultKind::InvalidArgument));
    EXPECT_EQ(faultOf([] { pow(Real(1e200), 2); }), static_cast<int>(FaultKind::Overflow));
    EXPECT_EQ(faultOf([] { pow(Real(-1.4e154), 2); }), static_cast<int>(FaultKind::Overflow));
}

}  // namespace
}  // namespace tavorin
