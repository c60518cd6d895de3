// The two writings on arbitrary finite values, exact ties included: the shape of the text,
// the number of digits, the tie rule (half away from zero, against the exact expansion
// printed by snprintf) and the reading back.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/numeric_text.h"
#include "fuzz/check.h"

namespace {

struct Digits {
    std::string digits;  // significant digits, no trailing zeros ("0" for zero)
    int exponent = 0;    // decimal exponent of the first
};

// `magnitude` rounded to `significant` digits, a tie away from zero.
Digits reference(double magnitude, int significant) {
    if (magnitude == 0) return {"0", 0};
    static char exact[1200];
    std::snprintf(exact, sizeof exact, "%.800e", magnitude);
    Digits r;
    const char* p = exact;
    for (; *p != 'e'; ++p) {
        if (*p != '.') r.digits.push_back(*p);
    }
    r.exponent = std::atoi(p + 1);
    const bool up = r.digits[significant] >= '5';
    r.digits.resize(significant);
    if (up) {
        int i = significant - 1;
        while (i >= 0 && r.digits[i] == '9') r.digits[i--] = '0';
        if (i < 0) {
            r.digits.insert(r.digits.begin(), '1');
            r.digits.pop_back();
            ++r.exponent;
        } else {
            ++r.digits[i];
        }
    }
    while (r.digits.size() > 1 && r.digits.back() == '0') r.digits.pop_back();
    return r;
}

// Takes a written text apart, checking its shape on the way.
Digits parse(const std::string& text, bool leadingBlank, bool negative, int significant) {
    std::size_t i = 0;
    if (negative) {
        FUZZ_CHECK(text.size() > 1 && text[0] == '-', "\"%s\" lacks its sign", text.c_str());
        ++i;
    } else if (leadingBlank) {
        FUZZ_CHECK(!text.empty() && text[0] == ' ', "\"%s\" lacks its blank", text.c_str());
        ++i;
    }
    std::string whole;
    std::string fraction;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') whole.push_back(text[i++]);
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') fraction.push_back(text[i++]);
        FUZZ_CHECK(!fraction.empty() && fraction.back() != '0', "\"%s\": fraction", text.c_str());
    }
    Digits d;
    if (i < text.size()) {
        // Exponent form: one digit, the fraction, E, a sign, at least two digits.
        FUZZ_CHECK(whole.size() == 1 && whole != "0" && text[i] == 'E' && i + 3 < text.size() + 0 &&
                       (text[i + 1] == '+' || text[i + 1] == '-'),
                   "\"%s\": exponent form", text.c_str());
        const std::string e = text.substr(i + 2);
        FUZZ_CHECK(e.size() >= 2 && e.size() <= 3 &&
                       e.find_first_not_of("0123456789") == std::string::npos,
                   "\"%s\": exponent digits", text.c_str());
        d.digits = whole;
        d.digits += fraction;
        d.exponent = std::atoi(e.c_str()) * (text[i + 1] == '-' ? -1 : 1);
        FUZZ_CHECK(d.exponent >= significant ||
                       (d.exponent < 0 &&
                        -d.exponent - 1 + static_cast<int>(d.digits.size()) > significant),
                   "\"%s\" should be in fixed form", text.c_str());
        return d;
    }
    if (leadingBlank) {
        FUZZ_CHECK(whole != "0" || fraction.empty(), "\"%s\" keeps a 0 before the point",
                   text.c_str());
        if (whole.empty()) whole.assign(1, '0');
    }
    FUZZ_CHECK(!whole.empty() && (whole == "0" || whole[0] != '0'), "\"%s\": whole part",
               text.c_str());
    std::string all = whole;
    all += fraction;
    const std::size_t first = all.find_first_not_of('0');
    if (first == std::string::npos) return {"0", 0};
    d.exponent = static_cast<int>(whole.size()) - 1 - static_cast<int>(first);
    d.digits = all.substr(first);
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    FUZZ_CHECK(
        d.exponent < significant &&
            (d.exponent >= 0 || -d.exponent - 1 + static_cast<int>(d.digits.size()) <= significant),
        "\"%s\" should be in exponent form", text.c_str());
    return d;
}

template <class T>
void checkWriting(T value, const std::string& text, bool leadingBlank) {
    constexpr int kSignificant = sizeof(T) == sizeof(double) ? 15 : 7;
    const Digits want = reference(std::fabs(static_cast<double>(value)), kSignificant);
    const Digits got = parse(text, leadingBlank, value < 0, kSignificant);
    FUZZ_CHECK(got.digits == want.digits && (want.digits == "0" || got.exponent == want.exponent),
               "%a written \"%s\", want digits %s e%d", static_cast<double>(value), text.c_str(),
               want.digits.c_str(), want.exponent);
    // Reading back: the written number, except beyond the largest value of the kind.
    const std::string back = leadingBlank ? text.substr(text[0] == ' ' ? 1 : 0) : text;
    const auto read = tavorin::convertStrictDouble(back);
    const double written = std::strtod(back.c_str(), nullptr);
    if (std::isinf(written)) {
        FUZZ_CHECK(read.error == tavorin::ConversionError::Overflow, "\"%s\"", text.c_str());
    } else {
        FUZZ_CHECK(read.error == tavorin::ConversionError::None && read.value == written,
                   "\"%s\" reads back as %a", text.c_str(), read.value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9) return 0;
    std::uint64_t bits = 0;
    std::memcpy(&bits, data + 1, 8);
    double value = 0;
    switch (data[0] % 3) {
        case 0:  // any double
            std::memcpy(&value, &bits, 8);
            break;
        case 1:  // few fractional bits: exact ties at the last kept digit occur
            value = std::ldexp(static_cast<double>(static_cast<std::int64_t>(bits) >> 10),
                               -static_cast<int>(data[0] / 3 % 24));
            break;
        default: {  // any single
            std::uint32_t b32 = static_cast<std::uint32_t>(bits);
            float f;
            std::memcpy(&f, &b32, 4);
            if (!std::isfinite(f)) return 0;
            checkWriting(f, tavorin::generalForm(f), false);
            value = f;
        }
    }
    if (!std::isfinite(value)) return 0;
    checkWriting(value, tavorin::generalForm(value), false);
    checkWriting(value, tavorin::leadingBlankForm(value), true);
    const auto single = static_cast<float>(value);
    if (std::isfinite(single)) checkWriting(single, tavorin::generalForm(single), false);
    return 0;
}
