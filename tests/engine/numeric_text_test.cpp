#include "engine/numeric_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/real.h"

namespace tavorin {
namespace {

using E = ConversionError;

struct ReadRow {
    const char* text;
    double value;
    E error = E::None;
};

TEST(LenientReading, ReadsTheLeadingNumber) {
    const ReadRow rows[] = {
        {"", 0},
        {"abc", 0},
        {" 3.8 ", 3.8},
        {"1 52", 152},
        {"1.5m", 1.5},
        {"0,6", 0},
        {"1e2", 100},
        {"1E-2", 0.01},
        {"2D3", 2000},
        {"2d+3", 2000},
        {"1e", 1},
        {"1e+", 1},
        {"-.25", -0.25},
        {"+7", 7},
        {"- 7", -7},
        {"+-7", 0},
        {".", 0},
        {"1.2.3", 1.2},
        {"\t1\n2", 12},
        {"1\r2", 1},  // a carriage return is not a blank
        {"0.014", 0.014},
        {"35.30", 35.3},
        {"&HFFFF", 65535},
        {"&hff", 255},
        {"& H1F", 31},
        {"&O17", 15},
        {"&o777", 511},
        {"&H", 0},
        {"&Hxyz", 0},
        {"&O8", 0},
        {"&12", 0},
        {"&HFFFFFFFFFFFFFFFF", 18446744073709551615.0},
        {"&H20000000000001", 9007199254740992},  // 2^53 + 1: a tie, to even
        {"&H20000000000003", 9007199254740996},
        {"&H200000000000010000000000", 0x1p+93},                // a tie beyond 64 bits, to even
        {"&H200000000000010000000001", 0x1.0000000000001p+93},  // a dropped one bit rounds up
        {"&H200000000000030000000000", 0x1.0000000000002p+93},
        {"&O1000000000000000001", 0x1p+54},  // 2^54 + 1 rounds down
        {"&H0000000000000000000000000001F", 31},
        {"1e308", 1e308},
        {"1e400", 0, E::Overflow},
        {"-1e400", 0, E::Overflow},
        {"1e99999999999999999999", 0, E::Overflow},
        {"1e-400", 0},
        {"1e-99999999999999999999", 0},
        {"4.9406564584124654e-324", 4.9406564584124654e-324},
        {"0.1000000000000000055511151231257827", 0.1},
    };
    for (const ReadRow& row : rows) {
        SCOPED_TRACE(row.text);
        const auto r = readLenient(row.text);
        EXPECT_EQ(r.error, row.error);
        if (row.error == E::None) {
            EXPECT_EQ(r.value, row.value);
        }
    }
}

TEST(LenientReading, HexBeyondTheDoubleRangeOverflows) {
    const std::string huge = "&H" + std::string(257, 'F');
    EXPECT_EQ(readLenient(huge).error, E::Overflow);
    // An octal number of 341 digits (1023 bits) is still in range.
    const std::string large = "&O1" + std::string(340, '0');
    const auto r = readLenient(large);
    EXPECT_EQ(r.error, E::None);
    EXPECT_EQ(r.value, std::ldexp(1.0, 1020));
}

// Texts of any length read exactly: the digits and the exponent are weighed together,
// and digits beyond those kept still decide a rounding.
TEST(Readers, ExactForAnyLength) {
    const std::string million(1'000'000, '0');
    const std::string zeros(999'999, '0');
    // 1 + 2^-53, the midpoint between 1 and the next double, to 55 significant digits.
    const std::string midpoint = "1.00000000000000011102230246251565404236316680908203125";
    const double above = std::nextafter(1.0, 2.0);
    const struct {
        std::string text;
        double value;
        E error = E::None;
    } rows[] = {
        {"1" + zeros + "e-1000001", 0.01},  // 10^999999 × 10^-1000001
        {"0." + million + "1e1000001", 1},
        {"-0." + million + "25e1000001", -2.5},
        {"1" + million, 0, E::Overflow},
        {"0." + million + "1", 0},
        {std::string(401, '9'), 0, E::Overflow},
        {std::string(308, '9'), 1e308},
        {"1e999999999999999999", 0, E::Overflow},  // saturates without overflowing int64
        {"1e-999999999999999999", 0},
        {std::string(1, '1') + std::string(40, '0') + "e99999999999999999999999999", 0,
         E::Overflow},
        {midpoint, 1},  // an exact tie rounds to even
        {midpoint + std::string(900, '0'), 1},
        {midpoint + std::string(900, '0') + "1", above},  // a dropped digit breaks the tie
        {"0.001" + midpoint.substr(2) + std::string(2000, '0') + "1e3", above},
        {"2.4703282292062327208828439643411068618252990130716238221279284125033775364e-324",
         4.9406564584124654e-324},  // just above half the least subnormal
        {"2.4703282292062327208828439643411068618252990130716238221279284125033775363e-324", 0},
        {"179769313486231580793728971405304e276", 0, E::Overflow},  // past DBL_MAX + ulp/2
        {"179769313486231580793728971405303e276", 1.7976931348623157e308},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text.substr(0, 60) + "… (" + std::to_string(row.text.size()) + " bytes)");
        for (const auto& r : {readLenient(row.text), convertStrictDouble(row.text)}) {
            EXPECT_EQ(r.error, row.error);
            if (row.error == E::None) {
                EXPECT_EQ(r.value, row.value);
                EXPECT_EQ(std::signbit(r.value), std::signbit(row.value));
            }
        }
    }
    // The single conversion rounds the decimal text once, not through a double.
    const std::string singleTie = "1.000000059604644775390625";  // 1 + 2^-24
    EXPECT_EQ(convertStrictSingle(singleTie).value, 1.0f);
    EXPECT_EQ(convertStrictSingle(singleTie + std::string(900, '0') + "1").value,
              std::nextafter(1.0f, 2.0f));
    EXPECT_EQ(convertStrictSingle("1" + zeros + "e-1000001").value, 0.01f);
}

// An independent check: random decimal texts, short and far beyond the kept digits,
// against the C library's correctly rounded strtod and strtof.
TEST(Readers, AgreeWithTheCLibrary) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<int> length(1, 1200);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> exponent(-400, 400);
    for (int i = 0; i < 3000; ++i) {
        std::string text = i % 2 ? "-" : "";
        const int n = i % 3 == 0 ? length(random) : length(random) % 25 + 1;
        const int point = std::uniform_int_distribution<int>(0, n)(random);
        for (int k = 0; k < n; ++k) {
            if (k == point) text.push_back('.');
            // Long runs of zeros or nines put the value near a rounding boundary.
            const int d = digit(random);
            text.push_back(static_cast<char>('0' + (i % 5 == 1 && k > 16   ? (d < 9 ? 0 : 1)
                                                    : i % 5 == 2 && k > 16 ? 9
                                                                           : d)));
        }
        if (i % 4) {
            text += 'e';
            text += std::to_string(exponent(random));
        }
        SCOPED_TRACE(text);
        const double want = std::strtod(text.c_str(), nullptr);
        const float wantSingle = std::strtof(text.c_str(), nullptr);
        const auto lenient = readLenient(text);
        const auto strict = convertStrictDouble(text);
        const auto single = convertStrictSingle(text);
        if (std::isinf(want)) {
            ASSERT_EQ(lenient.error, E::Overflow);
            ASSERT_EQ(strict.error, E::Overflow);
        } else {
            ASSERT_EQ(lenient.error, E::None);
            ASSERT_EQ(lenient.value, want);
            ASSERT_EQ(strict.value, want);
        }
        if (std::isinf(wantSingle)) {
            ASSERT_EQ(single.error, E::Overflow);
        } else {
            ASSERT_EQ(single.value, wantSingle);
        }
    }
}

// The largest double is written "1.79769313486232E+308", which lies beyond the double
// range: reading it back is an overflow, as for any text past the range.
TEST(Readers, TheLargestDoubleAsWrittenDoesNotReadBack) {
    ASSERT_EQ(generalForm(std::numeric_limits<double>::max()), "1.79769313486232E+308");
    EXPECT_EQ(convertStrictDouble("1.79769313486232E+308").error, E::Overflow);
    EXPECT_EQ(convertStrictDouble("-1.79769313486232E+308").error, E::Overflow);
    EXPECT_EQ(convertStrictDouble("1.79769313486231E+308").error, E::None);
}

TEST(StrictConversion, AcceptsOnlyAWholeNumber) {
    const ReadRow rows[] = {
        {" 30 ", 30},
        {"30", 30},
        {"-.5", -0.5},
        {"+5.", 5},
        {"1E+15", 1e15},
        {"1e-3", 0.001},
        {"\t2\t", 2},
        {"-30.0135534710018", -30.0135534710018},
        {"", 0, E::TypeMismatch},
        {"   ", 0, E::TypeMismatch},
        {"abc", 0, E::TypeMismatch},
        {".", 0, E::TypeMismatch},
        {"-", 0, E::TypeMismatch},
        {"1.5m", 0, E::TypeMismatch},
        {"1 5", 0, E::TypeMismatch},
        {"1,5", 0, E::TypeMismatch},
        {"1,000", 0, E::TypeMismatch},
        {"1.2.3", 0, E::TypeMismatch},
        {"1e", 0, E::TypeMismatch},
        {"1e+", 0, E::TypeMismatch},
        {"1D3", 0, E::TypeMismatch},
        {"nan", 0, E::TypeMismatch},
        {"inf", 0, E::TypeMismatch},
        {"-Infinity", 0, E::TypeMismatch},
        {"0x10", 0, E::TypeMismatch},
        {"&H10", 0, E::TypeMismatch},
        {"$5", 0, E::TypeMismatch},
        {"¥5", 0, E::TypeMismatch},
        {"３０", 0, E::TypeMismatch},  // full-width digits
        {"1e400", 0, E::Overflow},
        {"1e-400", 0},
    };
    for (const ReadRow& row : rows) {
        SCOPED_TRACE(row.text);
        const auto r = convertStrictDouble(row.text);
        EXPECT_EQ(r.error, row.error);
        if (row.error == E::None) {
            EXPECT_EQ(r.value, row.value);
        }
    }
}

TEST(StrictConversion, UsesTheGivenSeparator) {
    EXPECT_EQ(convertStrictDouble("1,5", ",").value, 1.5);
    EXPECT_EQ(convertStrictDouble("1.5", ",").error, E::TypeMismatch);
    EXPECT_EQ(convertStrictDouble("-0,25E+1", ",").value, -2.5);
}

TEST(StrictConversion, SingleRoundsToNearestAndKeepsItsRange) {
    const struct {
        const char* text;
        float value;
        E error;
    } rows[] = {
        {"30", 30.0f, E::None},
        {"0.1", 0.1f, E::None},
        {"3.4028235e38", std::numeric_limits<float>::max(), E::None},
        {"1e39", 0, E::Overflow},
        {"-1e39", 0, E::Overflow},
        {"1e-50", 0, E::None},
        {"x", 0, E::TypeMismatch},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto r = convertStrictSingle(row.text);
        EXPECT_EQ(r.error, row.error);
        if (row.error == E::None) {
            EXPECT_EQ(r.value, row.value);
        }
    }
}

struct FormRow {
    double value;
    const char* text;
};

TEST(GeneralForm, DoubleRows) {
    const FormRow rows[] = {
        {119.3808, "119.3808"},
        {0, "0"},
        {-0.0, "0"},
        {152, "152"},
        {0.7854, "0.7854"},
        {-8.796479999999999, "-8.79648"},
        {10.040347111722143, "10.0403471117221"},
        {999999999999999, "999999999999999"},
        {1e15, "1E+15"},
        {-1e15, "-1E+15"},
        {1234567890123456, "1.23456789012346E+15"},
        {999999999999999.9, "1E+15"},  // rounding carries into the 16th digit
        {5.6789e-11, "0.000000000056789"},
        {5.6789e-12, "5.6789E-12"},
        {1e-15, "0.000000000000001"},
        {1e-16, "1E-16"},
        {1.5e-15, "1.5E-15"},
        {1e100, "1E+100"},
        {1.7976931348623157e308, "1.79769313486232E+308"},
        {4.9406564584124654e-324, "4.94065645841247E-324"},
        {0.1, "0.1"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        // Exact ties at the 16th digit round away from zero (to_chars alone rounds to even).
        {1234567890123455.0, "1.23456789012346E+15"},
        {1234567890123465.0, "1.23456789012347E+15"},
        {12345678901234.25, "12345678901234.3"},
        {-12345678901234.25, "-12345678901234.3"},
        {0.5, "0.5"},
        // Near a tie but below it: the 17th digit decides.
        {0.123456789012345449, "0.123456789012345"},
    };
    for (const FormRow& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(generalForm(row.value), row.text);
    }
}

TEST(GeneralForm, SingleRows) {
    const struct {
        float value;
        const char* text;
    } rows[] = {
        {-1.156083f, "-1.156083"},
        {-107.78778f, "-107.7878"},
        {64.12057f, "64.12057"},
        {654322.25f, "654322.3"},  // an exact tie, away from zero
        {-654322.25f, "-654322.3"},
        {654322.75f, "654322.8"},
        {1234567.0f, "1234567"},
        {12345678.0f, "1.234568E+07"},
        {1e-8f, "1E-08"},
        {1e-7f, "0.0000001"},
        {0.0f, "0"},
        {3.4028235e38f, "3.402823E+38"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(generalForm(row.value), row.text);
    }
}

TEST(GeneralForm, WritesTheGivenSeparator) {
    EXPECT_EQ(generalForm(119.3808, ","), "119,3808");
    EXPECT_EQ(generalForm(1234567890123456.0, ","), "1,23456789012346E+15");
    EXPECT_EQ(generalForm(-1.156083f, ","), "-1,156083");
}

TEST(LeadingBlankForm, Rows) {
    const FormRow rows[] = {
        {10.04, " 10.04"}, {1.87, " 1.87"},  {0.5, " .5"},       {-0.25, "-.25"},    {0, " 0"},
        {-0.0, " 0"},      {1e15, " 1E+15"}, {-1e-16, "-1E-16"}, {-10.17, "-10.17"}, {0.01, " .01"},
    };
    for (const FormRow& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(leadingBlankForm(row.value), row.text);
    }
}

TEST(Round2, HalvesGoUpwards) {
    const struct {
        double in;
        double out;
    } rows[] = {
        {10.040347111722143, 10.04}, {93.3043, 93.3}, {-0.125, -0.12}, {0.125, 0.13},
        {1.87162673036217, 1.87},    {-2.5, -2.5},    {0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.in);
        EXPECT_EQ(round2(row.in).value(), row.out);
    }
    EXPECT_EQ(generalForm(round2(93.3043).value()), "93.3");
}

TEST(CheckedArithmetic, Faults) {
    auto kindOf = [](auto&& op) -> std::optional<FaultKind> {
        try {
            op();
        } catch (const CalcFault& f) {
            return f.kind;
        }
        return std::nullopt;
    };
    const Real big = 1e308;
    EXPECT_EQ(kindOf([&] { return Real(1) / 0; }), FaultKind::DivisionByZero);
    EXPECT_EQ(kindOf([&] { return Real(0) / 0; }), FaultKind::DivisionByZero);
    EXPECT_EQ(kindOf([&] { return big * 10; }), FaultKind::Overflow);
    EXPECT_EQ(kindOf([&] { return big + big; }), FaultKind::Overflow);
    EXPECT_EQ(kindOf([&] { return -big - big; }), FaultKind::Overflow);
    EXPECT_EQ(kindOf([&] { return pow(big, 2); }), FaultKind::Overflow);
    EXPECT_EQ(kindOf([&] { return pow(-8, 0.5); }), FaultKind::InvalidArgument);
    EXPECT_EQ(kindOf([&] { return toSingle(1e39); }), FaultKind::Overflow);
    EXPECT_EQ(kindOf([&] { return toSingle(-1e39); }), FaultKind::Overflow);
    EXPECT_EQ(kindOf([&] { return pow(-8, 2); }), std::nullopt);
    EXPECT_EQ(kindOf([&] { return Real(1e-300) * 1e-300; }), std::nullopt);  // underflow is 0
    EXPECT_EQ(pow(-8, 2).value(), 64);
    EXPECT_EQ(intFloor(-10.3).value(), -11);
    EXPECT_EQ(intFloor(10.7).value(), 10);
}

}  // namespace
}  // namespace tavorin

namespace tavorin {
namespace {

// An independent reference: the exact digits from printf, rounded half away from zero by
// hand, laid out with the documented switch points.
std::string referenceForm(double value, int significant) {
    if (value == 0) return "0";
    char exact[1100];
    std::snprintf(exact, sizeof exact, "%.800e", std::fabs(value));
    std::string digits;
    const char* p = exact;
    for (; *p != 'e'; ++p) {
        if (*p != '.') digits.push_back(*p);
    }
    int exponent = std::atoi(p + 1);
    const bool up = digits[significant] >= '5';
    digits.resize(significant);
    if (up) {
        int i = significant - 1;
        while (i >= 0 && digits[i] == '9') digits[i--] = '0';
        if (i < 0) {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++exponent;
        } else {
            ++digits[i];
        }
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    const int n = static_cast<int>(digits.size());
    std::string out = value < 0 ? "-" : "";
    if (exponent >= significant || (exponent < 0 && -exponent - 1 + n > significant)) {
        out += digits.substr(0, 1);
        if (n > 1) out += "." + digits.substr(1);
        char e[16];
        std::snprintf(e, sizeof e, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        return out + e;
    }
    if (exponent < 0) return out + "0." + std::string(-exponent - 1, '0') + digits;
    digits.resize(std::max(n, exponent + 1), '0');
    out += digits.substr(0, exponent + 1);
    if (n > exponent + 1) out += "." + digits.substr(exponent + 1);
    return out;
}

TEST(GeneralForm, AgreesWithAnExactReference) {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-30, 30);
    std::uniform_int_distribution<long long> whole(-9'999'999'999'999'999LL,
                                                   9'999'999'999'999'999LL);
    std::uniform_int_distribution<int> quarters(0, 3);
    for (int i = 0; i < 5000; ++i) {
        // Random magnitudes, whole numbers near 2^53 and values with few fractional bits,
        // where exact ties at the 16th digit occur.
        const double values[] = {
            mantissa(random) * std::pow(10.0, exponent(random)),
            static_cast<double>(whole(random)),
            static_cast<double>(whole(random) / 100) + quarters(random) * 0.25,
        };
        for (const double v : values) {
            ASSERT_EQ(generalForm(v), referenceForm(v, 15)) << std::hexfloat << v;
            const auto single = static_cast<float>(v);
            ASSERT_EQ(generalForm(single), referenceForm(single, 7)) << std::hexfloat << single;
        }
    }
}

TEST(GeneralForm, SinglesAgreeWithAnExactReference) {
    // Random bit patterns over the whole single range, and every single near the switch to
    // exponent form and near the smallest magnitude written by exact integer digits.
    std::mt19937 random(11);
    std::vector<float> values;
    for (int i = 0; i < 20000; ++i) {
        const float f = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (std::isfinite(f)) values.push_back(f);
    }
    for (const float edge : {9999999.0f, 1e7f, 1e-16f, 1e-15f, 1e-7f, 1.0f}) {
        float f = edge;
        for (int i = 0; i < 50; ++i) f = std::nextafter(f, 0.0f);
        for (int i = 0; i < 100; ++i, f = std::nextafter(f, 1e38f)) values.push_back(f);
    }
    for (const float f : values) {
        ASSERT_EQ(generalForm(f), referenceForm(f, 7)) << std::hexfloat << f;
    }
}

TEST(GeneralForm, DoublesAtTheEdgesOfExactIntegerDigits) {
    // Exact integer digits write magnitudes from about 1E-7 up to 1E15; beyond them to_chars
    // decides. Both sides of each edge, exact ties in the integer range included.
    std::vector<double> values;
    for (const double edge : {1e15, 999999999999999.5, 1e-7, 1.0000000000000001e-7, 1e-8, 1.0, 0.5,
                              1e14 + 0.5, 123456789012.3125}) {
        double v = edge;
        for (int i = 0; i < 20; ++i) v = std::nextafter(v, 0.0);
        for (int i = 0; i < 40; ++i, v = std::nextafter(v, 1e300)) values.push_back(v);
    }
    for (int k = -9; k <= 16; ++k) values.push_back(std::pow(10.0, k));
    for (const double v : values) {
        ASSERT_EQ(generalForm(v), referenceForm(v, 15)) << std::hexfloat << v;
        ASSERT_EQ(generalForm(-v), referenceForm(-v, 15)) << std::hexfloat << v;
    }
}

TEST(BufferedForms, WriteTheSameTextsAsTheStringForms) {
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-20, 20);
    for (int i = 0; i < 5000; ++i) {
        const double v = mantissa(random) * std::pow(10.0, exponent(random));
        const auto f = static_cast<float>(v);
        for (const std::string_view separator : {".", ",", "\xc2\xb7", "0123456789abcdef"}) {
            ASSERT_EQ(generalText(v, separator).view(), generalForm(v, separator));
            ASSERT_EQ(generalText(f, separator).view(), generalForm(f, separator));
        }
        ASSERT_EQ(leadingBlankText(v).view(), leadingBlankForm(v));
    }
    EXPECT_EQ(generalText(-1.23456789012346e-100, "0123456789abcdef").view(),
              "-10123456789abcdef23456789012346E-100");
    EXPECT_EQ(leadingBlankText(-0.25).view(), "-.25");
}

}  // namespace
}  // namespace tavorin
