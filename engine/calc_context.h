// The plain calculation context: how the formulas of the input case, the components and
// the sizing read, compute and write when no record is kept.
//
// The formulas are written once, as templates over a context `Cx`; this context hands
// them the checked `Real` and the field store and does nothing else, so the calculate
// command runs the same operations as if the formulas were written on `Real` directly.
// The recording context (trace.h) runs the same templates and keeps every step.
//
// A context supplies:
//   Num, Single, Val       the number types: a double, a single, a value of any kind
//   group(g)               the sheet group of the following steps
//   constant(symbol, v)    a named constant (π, K, g)
//   input / inputSingle / inputStrictSingle (box, symbol, unit), choice(box)
//   let(name, meaning, f)  the named quantity computed by f()
//   readBack(box)          the number in a box written before (strict conversion)
//   value(x), zero(name, note), real(v), write(box, x), writeHundredths(box, x),
//   writeEmpty(box), setCaption(label, caption)
// and for the stability check (check.h):
//   inputStrict(box, symbol, unit)    an input by the strict double conversion
//   optionalInput(box, symbol, unit)  the same, or nothing for a blank box
//   fixed(name, meaning, note, text)  a quantity shown as a text ("—", a verdict); kept only
//                                     in the record
//   writeText(box, text), writeFound(box, meaning, note, x)  a fixed text, a number found by
//                                     a search (kept in the record with its note)
#pragma once

#include <optional>
#include <string>

#include "engine/field_io.h"
#include "engine/numeric_text.h"
#include "engine/real.h"
#include "engine/record.h"
#include "engine/value.h"

namespace tavorin {

class PlainCalc {
  public:
    using Num = Real;
    using Single = float;
    using Val = Value;

    explicit PlainCalc(FieldIo& io) : m_io(io) {}

    void group(RecordGroup) {}
    static Num constant(const char*, Real v) { return v; }

    Num input(const char* box, const char*, const char*) { return m_io.readLenient(box); }
    Single inputSingle(const char* box, const char*, const char*) {
        return m_io.readLenientSingle(box);
    }
    Single inputStrictSingle(const char* box, const char*, const char*) {
        return m_io.readStrictSingle(box);
    }
    std::string choice(const char* box) { return std::string(m_io.read(box)); }

    template <class F>
    static auto let(const char*, const char*, F&& compute) {
        return compute();
    }
    Num readBack(const char* box) { return m_io.readStrict(box); }
    Num inputStrict(const char* box, const char*, const char*) { return m_io.readStrict(box); }
    std::optional<Num> optionalInput(const char* box, const char*, const char*) {
        if (isBlankText(m_io.read(box))) return std::nullopt;
        return m_io.readStrict(box);
    }
    static void fixed(const char*, const char*, const char*, std::string_view) {}

    static Val value(Num x) { return Value::of(x); }
    static Val zero(const char*, const char*) { return Value::integer(0); }
    static Num real(const Val& v) { return v.real(); }

    void write(const char* box, Num x) { m_io.write(box, x); }
    void write(const char* box, Single x) { m_io.write(box, Value::of(x)); }
    void write(const char* box, const Val& v) { m_io.write(box, v); }
    // A self-weight: rounded to hundredths, in the leading-blank form.
    void writeHundredths(const char* box, Num x) {
        m_io.write(box, leadingBlankText(round2(x).value()));
    }
    void writeEmpty(const char* box) { m_io.write(box, Value{}); }
    void writeText(const char* box, std::string_view text) { m_io.write(box, text); }
    void writeFound(const char* box, const char*, const char*, Num x) { m_io.write(box, x); }
    void setCaption(const char* label, std::string_view caption) {
        m_io.setCaption(label, caption);
    }

  private:
    FieldIo& m_io;
};

}  // namespace tavorin
