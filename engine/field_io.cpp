#include "engine/field_io.h"

#include <cmath>

#include "engine/numeric_text.h"

namespace tavorin {
namespace {

template <class T>
T checkedConversion(const Conversion<T>& c, std::string_view box) {
    switch (c.error) {
        case ConversionError::None:
            return c.value;
        case ConversionError::TypeMismatch:
            throw CalcFault{FaultKind::TypeMismatch, std::string(box)};
        case ConversionError::Overflow:
            throw CalcFault{FaultKind::Overflow, std::string(box)};
    }
    return c.value;
}

// Beyond this the written text does not fit a NumberText and takes a string.
constexpr std::size_t kLongestBufferedSeparator = 16;

}  // namespace

std::string_view FieldIo::read(Box box) {
    std::string_view text;
    bool ok = false;
    if (box.row >= 0) {
        ok = m_store.readById(box.id(), m_text, text);
    } else {
        ok = m_store.readText(box.name, m_text);
        text = m_text;
    }
    if (!ok) throw CalcFault{FaultKind::FieldAccess, std::string(box.name)};
    return text;
}

Real FieldIo::readLenient(Box box) {
    return checkedConversion(tavorin::readLenient(read(box)), box.name);
}

float FieldIo::readLenientSingle(Box box) {
    const Real value = readLenient(box);
    const auto single = static_cast<float>(value.value());
    if (!std::isfinite(single)) throw CalcFault{FaultKind::Overflow, std::string(box.name)};
    return single;
}

Real FieldIo::readStrict(Box box) {
    return checkedConversion(convertStrictDouble(read(box), m_separator), box.name);
}

float FieldIo::readStrictSingle(Box box) {
    return checkedConversion(convertStrictSingle(read(box), m_separator), box.name);
}

void FieldIo::write(Box box, std::string_view text) {
    const bool ok =
        box.row >= 0 ? m_store.replaceById(box.id(), text) : m_store.replaceText(box.name, text);
    if (!ok) throw CalcFault{FaultKind::FieldAccess, std::string(box.name), true};
}

void FieldIo::write(Box box, const Value& value) {
    if (m_separator.size() <= kLongestBufferedSeparator) {
        write(box, std::string_view(valueText(value, m_separator)));
    } else {
        write(box, std::string_view(textOf(value, m_separator)));
    }
}

void FieldIo::setCaption(Box label, std::string_view caption) {
    const bool ok = label.row >= 0 ? m_store.setCaptionById(label.id(), caption)
                                   : m_store.setCaption(label.name, caption);
    if (!ok) throw CalcFault{FaultKind::FieldAccess, std::string(label.name), true};
}

}  // namespace tavorin
