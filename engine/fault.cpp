#include "engine/fault.h"

#include "engine/fields.h"

namespace tavorin {

namespace {

struct KindNames {
    std::string_view id;
    std::string_view name;
};

// By FaultKind, in declaration order.
constexpr KindNames kKindNames[] = {
    {"type-mismatch", "类型不匹配"},
    {"division-by-zero", "除数为零"},
    {"overflow", "溢出"},
    {"invalid-argument", "无效的过程调用或参数"},
    {"field-access", "控件访问失败"},
};

}  // namespace

std::string_view faultKindId(FaultKind kind) { return kKindNames[static_cast<int>(kind)].id; }

std::string_view faultKindName(FaultKind kind) { return kKindNames[static_cast<int>(kind)].name; }

Fault describeFault(const CalcFault& fault) {
    const FieldSpec* field = findAnyField(fault.box);
    std::string where;
    if (field != nullptr) {
        where = "“" + std::string(field->caption) + "”";
    } else if (!fault.box.empty()) {
        where = "“" + fault.box + "”";
    }
    std::string detail;
    switch (fault.kind) {
        case FaultKind::TypeMismatch:
            detail = where.empty() ? "文本不是数字。" : where + "中的内容不是数字。";
            break;
        case FaultKind::DivisionByZero:
            detail = where.empty() ? "计算中出现以零作除数。" : where + "为零，不能作除数。";
            break;
        case FaultKind::Overflow:
            detail = where.empty() ? "计算结果超出数值范围。" : where + "中的数值超出范围。";
            break;
        case FaultKind::InvalidArgument:
            detail = where.empty() || fault.rule.empty() ? std::string("负数不能开非整数次方。")
                                                         : where + std::string(fault.rule) + "。";
            break;
        case FaultKind::FieldAccess:
            detail =
                (fault.writing ? "无法写入" : "无法读取") + (where.empty() ? "控件" : where) + "。";
            break;
    }
    return {fault.kind, fault.box, std::string(faultKindName(fault.kind)) + "：" + detail};
}

}  // namespace tavorin
