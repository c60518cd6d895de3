// Checked access to the field store for the commands: every failure becomes a CalcFault
// that names the box.
#pragma once

#include <string>
#include <string_view>

#include "engine/fields.h"
#include "engine/real.h"
#include "engine/value.h"

namespace tavorin {

class FieldIo {
  public:
    FieldIo(FieldStore& store, std::string_view separator)
        : m_store(store), m_separator(separator) {}

    std::string_view separator() const { return m_separator; }

    // The text of a box or choice list; FieldAccess when the store cannot give it.
    const std::string& read(std::string_view box);
    // The lenient reading of a box; Overflow beyond the double range.
    Real readLenient(std::string_view box);
    // The lenient reading of a box rounded to single; Overflow beyond the single range.
    float readLenientSingle(std::string_view box);
    // The strict double conversion of a box; TypeMismatch or Overflow.
    Real readStrict(std::string_view box);
    // The strict single conversion of a box; TypeMismatch or Overflow.
    float readStrictSingle(std::string_view box);

    void write(std::string_view box, std::string_view text);
    void write(std::string_view box, const Value& value);
    void write(std::string_view box, Real value) { write(box, Value::of(value)); }
    void setCaption(std::string_view label, std::string_view caption);

  private:
    FieldStore& m_store;
    std::string_view m_separator;
    std::string m_text;  // reused for every read
};

}  // namespace tavorin
