#include "engine/value.h"

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

}  // namespace tavorin
