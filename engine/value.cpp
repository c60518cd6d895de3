#include "engine/value.h"

#include <charconv>

#include "engine/numeric_text.h"

namespace tavorin {

std::string textOf(const Value& value, std::string_view separator) {
    switch (value.kind) {
        case Value::Kind::Empty:
            return {};
        case Value::Kind::Integer:
            return std::to_string(static_cast<long long>(value.number));
        case Value::Kind::Single:
            return generalForm(static_cast<float>(value.number), separator);
        case Value::Kind::Double:
            return generalForm(value.number, separator);
    }
    return {};
}

NumberText valueText(const Value& value, std::string_view separator) {
    switch (value.kind) {
        case Value::Kind::Empty:
            break;
        case Value::Kind::Integer: {
            NumberText text;
            const auto end = std::to_chars(text.buffer(), text.buffer() + NumberText::kCapacity,
                                           static_cast<long long>(value.number))
                                 .ptr;
            text.setSize(static_cast<std::size_t>(end - text.buffer()));
            return text;
        }
        case Value::Kind::Single:
            return generalText(static_cast<float>(value.number), separator);
        case Value::Kind::Double:
            return generalText(value.number, separator);
    }
    return {};
}

}  // namespace tavorin
