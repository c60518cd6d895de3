#include "engine/trace.h"

#include <charconv>
#include <utility>

#include "engine/numeric_text.h"

namespace tavorin {
namespace {

// The shortest text that reads back as the literal: 7.85, 0.5, 180.
std::string literalText(double v) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    return std::string(buffer, end);
}

std::string parenthesised(const std::string& text, bool wrap) {
    return wrap ? "(" + text + ")" : text;
}

// The right operand of a binary operation needs parentheses when it binds no tighter than
// the operation (a − (b − c)) or starts with a sign (a × (−b)).
bool wrapRight(const Traced& b, Traced::Binding op) {
    return b.binding() <= op || b.binding() == Traced::Negation;
}

Traced binary(const Traced& a, const Traced& b, Real value, const char* op,
              Traced::Binding binding) {
    const bool left = a.binding() < binding;
    const bool right = wrapRight(b, binding);
    return Traced::build(
        value, parenthesised(a.formula(), left) + op + parenthesised(b.formula(), right),
        parenthesised(a.substitution(), left) + op + parenthesised(b.substitution(), right),
        binding);
}

}  // namespace

Traced tracedFunction(const Traced& x, Real value, const char* open, const char* close) {
    return Traced::build(value, open + x.formula() + close, open + x.substitution() + close,
                         Traced::Atom);
}

Traced::Traced(double literal) : m_value(literal) {
    m_formula = m_substitution = literalText(literal);
}
Traced::Traced(int literal) : m_value(literal), m_integer(true) {
    m_formula = m_substitution = std::to_string(literal);
}
Traced::Traced(Real literal) : Traced(literal.value()) {}

Traced Traced::named(std::string_view name, Real value, bool single) {
    Traced t;
    t.m_value = value;
    t.m_single = single;
    t.m_name = name;
    t.m_formula = name;
    t.m_substitution = t.valueText();
    if (value.value() < 0) t.m_substitution = "(" + t.m_substitution + ")";
    return t;
}

Traced Traced::named(std::string_view name, const Traced& computed) {
    Traced t = named(name, computed.m_value, computed.m_single);
    t.m_integer = computed.m_integer;
    return t;
}

Traced Traced::integerZero() { return Traced(0); }

Traced Traced::build(Real value, std::string formula, std::string substitution, Binding binding) {
    Traced t;
    t.m_value = value;
    t.m_formula = std::move(formula);
    t.m_substitution = std::move(substitution);
    t.m_binding = binding;
    return t;
}

Value Traced::asValue() const {
    if (m_integer) return Value::integer(static_cast<int>(value()));
    if (m_single) return Value::of(static_cast<float>(value()));
    return Value::of(m_value);
}

std::string Traced::valueText(std::string_view separator) const {
    return textOf(asValue(), separator);
}

Traced Traced::roundedToSingle() const {
    Traced t = *this;
    t.m_value = Real(tavorin::toSingle(m_value));
    t.m_single = true;
    t.m_integer = false;
    t.m_name.clear();
    return t;
}

Traced operator+(const Traced& a, const Traced& b) {
    return binary(a, b, a.real() + b.real(), " + ", Traced::Sum);
}
Traced operator-(const Traced& a, const Traced& b) {
    return binary(a, b, a.real() - b.real(), " − ", Traced::Sum);
}
Traced operator*(const Traced& a, const Traced& b) {
    return binary(a, b, a.real() * b.real(), " × ", Traced::Product);
}
Traced operator/(const Traced& a, const Traced& b) {
    return binary(a, b, a.real() / b.real(), " ÷ ", Traced::Product);
}
Traced operator-(const Traced& a) {
    const bool wrap = a.binding() < Traced::Power;
    return Traced::build(-a.real(), "−" + parenthesised(a.formula(), wrap),
                         "−" + parenthesised(a.substitution(), wrap), Traced::Negation);
}

Traced tracedPow(const Traced& base, Exponent exponent) {
    const Real value = pow(base.real(), exponent);
    if (!exponent.isSquare()) return tracedFunction(base, value, "√(", ")");
    const bool wrap = base.binding() < Traced::Atom;
    return Traced::build(value, parenthesised(base.formula(), wrap) + "²",
                         parenthesised(base.substitution(), wrap) + "²", Traced::Power);
}

// --- the recording context

template <class Read>
Traced TraceCalc::readInput(const char* box, const char* symbol, const char* unit, bool strict,
                            Read read) {
    // The input is recorded whether or not it reads.
    m_record.inputs.push_back({box, symbol, unit, {}, {}, strict});
    return noteFault(box, [&] {
        RecordedInput& entry = m_record.inputs.back();
        entry.text = m_io.read(box);
        const Traced value = read();
        entry.valueText = value.valueText(m_io.separator());
        return Traced::named(symbol, value);
    });
}

Traced TraceCalc::input(const char* box, const char* symbol, const char* unit) {
    return readInput(box, symbol, unit, false,
                     [&] { return Traced::named(symbol, m_io.readLenient(box)); });
}

Traced TraceCalc::inputSingle(const char* box, const char* symbol, const char* unit) {
    return readInput(box, symbol, unit, false,
                     [&] { return Traced::named(symbol, m_io.readLenientSingle(box), true); });
}

Traced TraceCalc::inputStrictSingle(const char* box, const char* symbol, const char* unit) {
    return readInput(box, symbol, unit, true,
                     [&] { return Traced::named(symbol, m_io.readStrictSingle(box), true); });
}

std::string TraceCalc::choice(const char* box) {
    return noteFault(box, [&] {
        std::string text(m_io.read(box));
        m_record.choices.push_back({box, box, {}, text, {}, false});
        return text;
    });
}

Traced TraceCalc::readBack(const char* box) { return Traced::named(box, m_io.readStrict(box)); }

Traced TraceCalc::zero(const char* name, const char* note) {
    const Traced z = Traced::integerZero();
    addStep(name, "", z, note);
    // The meaning is the one of the quantity it replaces.
    for (auto it = m_record.steps.rbegin() + 1; it != m_record.steps.rend(); ++it) {
        if (it->name == name) {
            m_record.steps.back().meaning = it->meaning;
            break;
        }
    }
    return Traced::named(name, z);
}

void TraceCalc::addStep(const char* name, const char* meaning, const Traced& result,
                        std::string note) {
    RecordedStep step;
    step.name = name;
    step.meaning = meaning;
    step.group = m_group;
    step.formula = result.formula();
    step.substitution = result.substitution();
    step.valueText = result.valueText(m_io.separator());
    step.single = result.single();
    step.note = std::move(note);
    m_record.steps.push_back(std::move(step));
}

void TraceCalc::writeText(const char* box, const std::string& name, const std::string& text) {
    noteFault(box, [&] { m_io.write(box, text); });
    m_record.written.emplace_back(box, text);
    if (name.empty()) return;
    for (auto it = m_record.steps.rbegin(); it != m_record.steps.rend(); ++it) {
        if (it->name == name) {
            it->box = box;
            it->boxText = text;
            return;
        }
    }
}

void TraceCalc::write(const char* box, const Traced& x) {
    writeText(box, x.name(), x.valueText(m_io.separator()));
}

void TraceCalc::writeHundredths(const char* box, const Traced& x) {
    writeText(box, x.name(), leadingBlankForm(round2(x.real()).value()));
}

void TraceCalc::writeEmpty(const char* box) { writeText(box, {}, {}); }

void TraceCalc::setCaption(const char* label, std::string_view caption) {
    noteFault(label, [&] { m_io.setCaption(label, caption); });
}

// --- what the stability check adds

Traced tracedMax(const Traced& a, const Traced& b) {
    return Traced::build(max(a.real(), b.real()), "max(" + a.formula() + ", " + b.formula() + ")",
                         "max(" + a.substitution() + ", " + b.substitution() + ")", Traced::Atom);
}

Traced TraceCalc::inputStrict(const char* box, const char* symbol, const char* unit) {
    return readInput(box, symbol, unit, true,
                     [&] { return Traced::named(symbol, m_io.readStrict(box)); });
}

// A blank box is kept as an input with no value: not given.
std::optional<Traced> TraceCalc::optionalInput(const char* box, const char* symbol,
                                               const char* unit) {
    const std::string text(m_io.read(box));
    if (!isBlankText(text)) return inputStrict(box, symbol, unit);
    m_record.inputs.push_back({box, symbol, unit, text, {}, true});
    return std::nullopt;
}

void TraceCalc::fixed(const char* name, const char* meaning, const char* note,
                      std::string_view text) {
    RecordedStep step;
    step.name = name;
    step.meaning = meaning;
    step.group = m_group;
    step.valueText = text;
    step.note = note;
    m_record.steps.push_back(std::move(step));
}

void TraceCalc::writeText(const char* box, std::string_view text) {
    writeText(box, box, std::string(text));
}

void TraceCalc::writeFound(const char* box, const char* meaning, const char* note,
                           const Traced& x) {
    const std::string text = x.valueText(m_io.separator());
    fixed(box, meaning, note, text);
    writeText(box, box, text);
}

}  // namespace tavorin
