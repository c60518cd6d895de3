// The recording context: the formulas of calc_context.h run on `Traced` numbers, which
// carry, beside the checked value, the formula that produced them and the same formula
// with the operands' values put in. Every named quantity becomes one step of the
// calculation record. Only the calculate command with a record uses it.
#pragma once

#include <concepts>
#include <optional>
#include <string>

#include "engine/field_io.h"
#include "engine/real.h"
#include "engine/record.h"
#include "engine/value.h"

namespace tavorin {

// A number with its formula. Operations compute the value with `Real` (so they fault
// exactly where the plain command faults) and join the texts.
class Traced {
  public:
    // How tightly a text binds, for the parentheses a reader needs.
    enum Binding { Sum = 1, Product = 2, Negation = 3, Power = 4, Atom = 5 };

    Traced() = default;
    Traced(double literal);  // NOLINT: numbers enter formulas as written
    Traced(int literal);     // NOLINT
    Traced(Real literal);    // NOLINT

    // A named operand: written as its name, substituted by its value.
    static Traced named(std::string_view name, Real value, bool single = false);
    static Traced named(std::string_view name, const Traced& computed);
    static Traced integerZero();
    static Traced build(Real value, std::string formula, std::string substitution, Binding binding);

    Real real() const { return m_value; }
    double value() const { return m_value.value(); }
    bool single() const { return m_single; }
    const std::string& formula() const { return m_formula; }
    const std::string& substitution() const { return m_substitution; }
    Binding binding() const { return m_binding; }
    const std::string& name() const { return m_name; }
    Value asValue() const;
    std::string valueText(std::string_view separator = ".") const;

    Traced roundedToSingle() const;

  private:
    Real m_value;
    bool m_single = false;
    bool m_integer = false;
    std::string m_formula;
    std::string m_substitution;
    Binding m_binding = Atom;
    std::string m_name;
};

Traced operator+(const Traced& a, const Traced& b);
Traced operator-(const Traced& a, const Traced& b);
Traced operator*(const Traced& a, const Traced& b);
Traced operator/(const Traced& a, const Traced& b);
Traced operator-(const Traced& a);

// The functions take a Traced argument only (no conversion), so that a single of the
// plain calculation never finds them.
Traced tracedPow(const Traced& base, Exponent exponent);
Traced tracedFunction(const Traced& x, Real value, const char* open, const char* close);

template <std::same_as<Traced> T>
Traced pow(const T& base, Exponent exponent) {
    return tracedPow(base, exponent);
}
template <std::same_as<Traced> T>
Traced sin(const T& x) {
    return tracedFunction(x, sin(x.real()), "sin(", ")");
}
template <std::same_as<Traced> T>
Traced cos(const T& x) {
    return tracedFunction(x, cos(x.real()), "cos(", ")");
}
template <std::same_as<Traced> T>
Traced atan(const T& x) {
    return tracedFunction(x, atan(x.real()), "atan(", ")");
}
template <std::same_as<Traced> T>
Traced abs(const T& x) {
    return tracedFunction(x, abs(x.real()), "|", "|");
}
template <std::same_as<Traced> T>
Traced intFloor(const T& x) {
    return tracedFunction(x, intFloor(x.real()), "⌊", "⌋");
}
Traced tracedMax(const Traced& a, const Traced& b);
template <std::same_as<Traced> T>
Traced max(const T& a, const T& b) {
    return tracedMax(a, b);
}
template <std::same_as<Traced> T>
Traced toSingle(const T& x) {
    return x.roundedToSingle();
}

class TraceCalc {
  public:
    using Num = Traced;
    using Single = Traced;
    using Val = Traced;

    TraceCalc(FieldIo& io, CalcRecord& record) : m_io(io), m_record(record) {}

    void group(RecordGroup g) { m_group = g; }
    static Num constant(const char* symbol, Real v) { return Traced::named(symbol, v); }

    Num input(const char* box, const char* symbol, const char* unit);
    Single inputSingle(const char* box, const char* symbol, const char* unit);
    Single inputStrictSingle(const char* box, const char* symbol, const char* unit);
    std::string choice(const char* box);

    template <class F>
    Traced let(const char* name, const char* meaning, F&& compute) {
        const Traced result = noteFault(name, compute);
        addStep(name, meaning, result);
        return Traced::named(name, result);
    }
    Num readBack(const char* box);
    Num inputStrict(const char* box, const char* symbol, const char* unit);
    std::optional<Num> optionalInput(const char* box, const char* symbol, const char* unit);
    void fixed(const char* name, const char* meaning, const char* note, std::string_view text);

    static Val value(const Num& x) { return x; }
    Val zero(const char* name, const char* note);
    static Num real(const Val& v) { return v; }

    void write(const char* box, const Traced& x);
    void writeHundredths(const char* box, const Traced& x);
    void writeEmpty(const char* box);
    void writeText(const char* box, std::string_view text);
    void writeFound(const char* box, const char* meaning, const char* note, const Traced& x);
    void setCaption(const char* label, std::string_view caption);

  private:
    // Runs `work`; a CalcFault it throws goes on, `at` named in the record as where the
    // first fault arose.
    template <class F>
    decltype(auto) noteFault(const char* at, F&& work) {
        try {
            return work();
        } catch (const CalcFault&) {
            if (m_record.faultAt.empty()) m_record.faultAt = at;
            throw;
        }
    }
    void addStep(const char* name, const char* meaning, const Traced& result,
                 std::string note = {});
    void writeText(const char* box, const std::string& name, const std::string& text);
    template <class Read>
    Traced readInput(const char* box, const char* symbol, const char* unit, bool strict, Read read);

    FieldIo& m_io;
    CalcRecord& m_record;
    RecordGroup m_group = RecordGroup::Angles;
};

}  // namespace tavorin
