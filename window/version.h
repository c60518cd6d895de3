// The version command: what the menu entry "版本" does. It writes four fixed lines into the
// version labels Label50 … Label53, top to bottom, and touches nothing else.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "engine/fault.h"
#include "engine/fields.h"

namespace tavorin {

struct VersionLine {
    std::string_view label;
    std::string_view caption;
};

// The colons after the field names are full-width; the eight blanks in Label53 are ASCII.
inline constexpr std::array<VersionLine, 4> kVersionLines = {{
    {"Label50", "软件名称：Tavorin"},
    {"Label51", "软件类型：压力钢管镇墩(支墩)受力计算"},
    {"Label52", "发布日期：2004.5.25"},
    {"Label53", "版本号：v1.01        Tavorin 开发组"},
}};

// Sets the four captions in order. Stops at the first setting that fails and returns its
// fault; the labels set before it keep their new captions.
std::optional<Fault> showVersion(FieldStore& store);

}  // namespace tavorin
