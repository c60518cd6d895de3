// The kinds of a computed quantity, which decide how it is written.
#pragma once

#include <string>
#include <string_view>

#include "engine/numeric_text.h"
#include "engine/real.h"

namespace tavorin {

struct Value {
    enum class Kind {
        Empty,    // never computed (a12, a26, a28): written as ""
        Integer,  // the exact 0 that replaces a reducer force: written as its digits
        Single,   // IEEE single: 7 significant digits
        Double,   // IEEE double: 15 significant digits
    };
    Kind kind = Kind::Empty;
    double number = 0.0;  // a single's exact value widened to double

    static Value of(Real r) { return {Kind::Double, r.value()}; }
    static Value of(float s) { return {Kind::Single, s}; }
    static Value integer(int i) { return {Kind::Integer, static_cast<double>(i)}; }
    Real real() const { return Real(number); }
};

// The general text form of a value of any kind.
std::string textOf(const Value& value, std::string_view separator);

// The same into a buffer, without a heap allocation; `separator` is at most 16 bytes.
NumberText valueText(const Value& value, std::string_view separator);

}  // namespace tavorin
