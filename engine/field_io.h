// Checked access to the field store for the commands: every failure becomes a CalcFault
// that names the box.
//
// A box is named as in `io.readLenient("HSt")`: a name written in the code is resolved to
// its row while compiling, so a command addresses its boxes without comparing texts. A
// name held in a variable is looked up when used; one outside the table goes to the
// store by name, which decides.
#pragma once

#include <concepts>
#include <string>
#include <string_view>
#include <type_traits>

#include "engine/fields.h"
#include "engine/real.h"
#include "engine/value.h"

namespace tavorin {

// A box left empty: its text holds nothing but blanks and tabs.
inline bool isBlankText(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

// A control name known only at run time: a std::string, std::string_view or const char*
// variable (a name written as a literal becomes a FieldId instead).
template <class Name>
concept RuntimeName =
    std::convertible_to<const Name&, std::string_view> && !std::is_array_v<Name> &&
    !std::same_as<Name, FieldId>;

class FieldIo {
  public:
    FieldIo(FieldStore& store, std::string_view separator)
        : m_store(store), m_separator(separator) {}

    std::string_view separator() const { return m_separator; }

    // The text of a box or choice list, valid until the next operation; FieldAccess when
    // the store cannot give it.
    std::string_view read(FieldId box) { return read(Box(box)); }
    // The lenient reading of a box; Overflow beyond the double range.
    Real readLenient(FieldId box) { return readLenient(Box(box)); }
    // The lenient reading of a box rounded to single; Overflow beyond the single range.
    float readLenientSingle(FieldId box) { return readLenientSingle(Box(box)); }
    // The strict double conversion of a box; TypeMismatch or Overflow.
    Real readStrict(FieldId box) { return readStrict(Box(box)); }
    // The strict single conversion of a box; TypeMismatch or Overflow.
    float readStrictSingle(FieldId box) { return readStrictSingle(Box(box)); }

    void write(FieldId box, std::string_view text) { write(Box(box), text); }
    // The general text form of the value, written without a heap allocation.
    void write(FieldId box, const Value& value) { write(Box(box), value); }
    void write(FieldId box, Real value) { write(Box(box), Value::of(value)); }
    void setCaption(FieldId label, std::string_view caption) { setCaption(Box(label), caption); }

    template <RuntimeName Name>
    std::string_view read(const Name& box) {
        return read(lookUp(box));
    }
    template <RuntimeName Name>
    Real readLenient(const Name& box) {
        return readLenient(lookUp(box));
    }
    template <RuntimeName Name>
    float readLenientSingle(const Name& box) {
        return readLenientSingle(lookUp(box));
    }
    template <RuntimeName Name>
    Real readStrict(const Name& box) {
        return readStrict(lookUp(box));
    }
    template <RuntimeName Name>
    float readStrictSingle(const Name& box) {
        return readStrictSingle(lookUp(box));
    }
    template <RuntimeName Name>
    void write(const Name& box, std::string_view text) {
        write(lookUp(box), text);
    }
    template <RuntimeName Name>
    void write(const Name& box, const Value& value) {
        write(lookUp(box), value);
    }
    template <RuntimeName Name>
    void write(const Name& box, Real value) {
        write(lookUp(box), Value::of(value));
    }
    template <RuntimeName Name>
    void setCaption(const Name& label, std::string_view caption) {
        setCaption(lookUp(label), caption);
    }

  private:
    // A control by row, or by name when the table does not hold it (row < 0).
    struct Box {
        explicit Box(FieldId id) : row(static_cast<int>(id.row())), name(id.name()) {}
        Box(int r, std::string_view n) : row(r), name(n) {}
        int row;
        std::string_view name;
        FieldId id() const { return FieldId::atRow(static_cast<std::size_t>(row)); }
    };
    // Inline, so that a name the compiler can see (a literal passed down through inlined
    // calls) folds to its row.
    static Box lookUp(std::string_view name) {
        const FieldSpec* f = findAnyField(name);
        return f == nullptr ? Box(-1, name) : Box(static_cast<int>(f - detail::kFieldRows), name);
    }

    std::string_view read(Box box);
    Real readLenient(Box box);
    float readLenientSingle(Box box);
    Real readStrict(Box box);
    float readStrictSingle(Box box);
    void write(Box box, std::string_view text);
    void write(Box box, const Value& value);
    void setCaption(Box label, std::string_view caption);

    FieldStore& m_store;
    std::string_view m_separator;
    std::string m_text;  // room for a store that copies the text it reads
};

}  // namespace tavorin
