// Faults that stop the calculate command.
//
// Inside the calculation a fault is thrown as CalcFault and stops the command where it
// stands; at the command's boundary it becomes a Fault value with a Chinese message.
#pragma once

#include <string>
#include <string_view>

namespace tavorin {

enum class FaultKind {
    TypeMismatch,     // a text that the strict conversion cannot read as a number
    DivisionByZero,   // a divisor of zero (the foundation friction coefficient)
    Overflow,         // a reading or a result beyond the range of its kind
    InvalidArgument,  // a power of a negative base with a non-integer exponent, or a
                      // dimension of the stability check out of its range
    FieldAccess,      // a box or label that the field store could not read or write
};

// "type-mismatch", "division-by-zero", "overflow", "invalid-argument", "field-access".
std::string_view faultKindId(FaultKind kind);

// The Chinese name of the kind: "类型不匹配", "除数为零", "溢出", "无效的过程调用或参数",
// "控件访问失败".
std::string_view faultKindName(FaultKind kind);

// What the calculate command reports when it stops.
struct Fault {
    FaultKind kind;
    std::string box;      // the control that caused it, or empty when no single box did
    std::string message;  // Chinese, names the kind and, where known, the box's caption
};

// Thrown inside the calculation. `box` is filled in where a single box is to blame.
struct CalcFault {
    FaultKind kind;
    std::string box = {};
    bool writing = false;  // with FieldAccess: the failed operation was a write
    // With InvalidArgument and a box: the rule its number breaks, completing "“caption”…",
    // e.g. "应大于零".
    std::string_view rule = {};
};

// Builds the user's message for a fault.
Fault describeFault(const CalcFault& fault);

}  // namespace tavorin
