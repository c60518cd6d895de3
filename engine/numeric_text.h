// Numbers as text: the two ways of reading a number and the two ways of writing one.
//
// Lenient reading (input boxes). Blanks, tabs and line feeds are skipped anywhere; the
// reading stops at the first character that does not fit; "." is always the separator.
//   ""        -> 0            "abc"    -> 0          " 3.8 "  -> 3.8
//   "1 52"    -> 152          "1.5m"   -> 1.5        "0,6"    -> 0
//   "1e2"     -> 100          "2D3"    -> 2000       "1e"     -> 1
//   "&HFFFF"  -> 65535        "&o17"   -> 15         "1e400"  -> Overflow
//
// Strict conversion (the turning angle, and results read back from their boxes). The
// whole text, blanks aside, must be: [sign] digits [separator digits] [E|e [sign] digits],
// with at least one digit. No "nan", "inf", "&H", group separators or currency signs.
//   " 30 "    -> 30           "-.5"    -> -0.5       "1E+15"  -> 1E15
//   ""        -> TypeMismatch "abc"    -> TypeMismatch "1,5" (separator ".") -> TypeMismatch
//   "1e39" as a single -> Overflow                     "1e-50" as a single -> 0
//
// General form: 15 significant digits for a double, 7 for a single, a tie at the last kept
// digit rounded away from zero; exponent form from a decimal exponent of 15 (single 7) up,
// or below 1 where fixed form would need more than 15 (single 7) digits after the separator.
//   119.3808  -> "119.3808"   -0.0      -> "0"       0.7854   -> "0.7854"
//   1E15      -> "1E+15"      999999999999999 -> "999999999999999"
//   1234567890123456 -> "1.23456789012346E+15"       1E100    -> "1E+100"
//   5.6789E-11 -> "0.000000000056789"                5.6789E-12 -> "5.6789E-12"
//   single 654322.25 -> "654322.3"   single 12345678 -> "1.234568E+07"   single 1E-8 -> "1E-08"
//
// Leading-blank form: the same digits and switch points, "." always, one blank before a
// value that is not negative, no "0" before the point.
//   10.04 -> " 10.04"   0.5 -> " .5"   -0.25 -> "-.25"   0 -> " 0"   1E15 -> " 1E+15"
//
// None of these allocate more than the returned string, throw, or depend on the process
// locale. The readings allocate nothing: they take the text apart in one pass, in place,
// and are exact for a text of any length ("1" and 999999 zeros "e-1000001" is 0.01).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavorin {

enum class ConversionError { None, TypeMismatch, Overflow };

template <class T>
struct Conversion {
    T value = 0;
    ConversionError error = ConversionError::None;
};

// The lenient reading. Never a type mismatch; Overflow for a value beyond the double range.
Conversion<double> readLenient(std::string_view text);

// The strict conversions; `separator` is the decimal separator of the user's settings.
Conversion<double> convertStrictDouble(std::string_view text, std::string_view separator = ".");
Conversion<float> convertStrictSingle(std::string_view text, std::string_view separator = ".");

// The general text form. `value` must be finite.
std::string generalForm(double value, std::string_view separator = ".");
std::string generalForm(float value, std::string_view separator = ".");

// The leading-blank text form of a double. `value` must be finite.
std::string leadingBlankForm(double value);

// A written number in a buffer of its own, for writing results without a heap string.
class NumberText {
  public:
    // Room for every text of the forms below with a separator of up to 16 bytes.
    static constexpr std::size_t kCapacity = 48;

    std::string_view view() const { return {m_chars.data(), m_size}; }
    operator std::string_view() const { return view(); }  // NOLINT: reads as its text
    std::size_t size() const { return m_size; }
    const char* data() const { return m_chars.data(); }

    friend bool operator==(const NumberText& a, std::string_view b) { return a.view() == b; }

    // For the writers: the buffer and the length written into it.
    char* buffer() { return m_chars.data(); }
    void setSize(std::size_t size) { m_size = static_cast<std::uint8_t>(size); }

  private:
    std::array<char, kCapacity> m_chars;
    std::uint8_t m_size = 0;
};

// The same forms as generalForm and leadingBlankForm, into a NumberText. `separator` is at
// most 16 bytes.
NumberText generalText(double value, std::string_view separator = ".");
NumberText generalText(float value, std::string_view separator = ".");
NumberText leadingBlankText(double value);

}  // namespace tavorin
