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

}  // namespace

const std::string& FieldIo::read(std::string_view box) {
    if (!m_store.readText(box, m_text)) throw CalcFault{FaultKind::FieldAccess, std::string(box)};
    return m_text;
}

Real FieldIo::readLenient(std::string_view box) {
    read(box);
    return checkedConversion(tavorin::readLenient(m_text), box);
}

float FieldIo::readLenientSingle(std::string_view box) {
    const Real value = readLenient(box);
    const auto single = static_cast<float>(value.value());
    if (!std::isfinite(single)) throw CalcFault{FaultKind::Overflow, std::string(box)};
    return single;
}

Real FieldIo::readStrict(std::string_view box) {
    read(box);
    return checkedConversion(convertStrictDouble(m_text, m_separator), box);
}

float FieldIo::readStrictSingle(std::string_view box) {
    read(box);
    return checkedConversion(convertStrictSingle(m_text, m_separator), box);
}

void FieldIo::write(std::string_view box, std::string_view text) {
    if (!m_store.replaceText(box, text)) {
        throw CalcFault{FaultKind::FieldAccess, std::string(box), true};
    }
}

void FieldIo::write(std::string_view box, const Value& value) {
    write(box, textOf(value, m_separator));
}

void FieldIo::setCaption(std::string_view label, std::string_view caption) {
    if (!m_store.setCaption(label, caption)) {
        throw CalcFault{FaultKind::FieldAccess, std::string(label), true};
    }
}

}  // namespace tavorin
