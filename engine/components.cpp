#include "engine/components.h"

#include "engine/fields.h"
#include "engine/trace.h"

namespace tavorin {

// Each formula is evaluated exactly as parenthesised, one double rounding per operation,
// left operand first. The lower-side terms that act against the upper side start from
// the negated constant -PI.
template <class Cx>
ComponentsOf<Cx> computeComponents(Cx& cx, const InputCaseOf<Cx>& in) {
    const auto& D = in.D;
    const auto& DD = in.DD;
    const auto& HS = in.HS;
    const auto& pi = in.pi;
    const auto g = cx.constant("g", 9.81);
    ComponentsOf<Cx> c;

    cx.group(RecordGroup::UpperPipe);
    c.qs = cx.let("qs", "单位长度管壁自重 (t/m)，钢材容重 7.85 t/m³",
                  [&] { return ((pi * (pow(D + (2 * DD), 2) - pow(D, 2))) / 4) * 7.85; });
    c.qwc = cx.let("qwc", "单位长度管内水重垂直于上侧管轴的分量 (t/m)",
                   [&] { return ((pi * pow(D, 2)) / 4) * cos(in.a10); });
    c.qsc = cx.let("qsc", "单位长度管壁自重垂直于上侧管轴的分量 (t/m)",
                   [&] { return c.qs * cos(in.a10); });

    c.a11 = cx.let("a11", "上侧 管自重 a1", [&] { return (c.qs * in.L1) * sin(in.a10); });
    c.a13 = cx.let("a13", "上侧 弯管处 a3", [&] { return ((pi * pow(D, 2)) / 4) * HS; });
    c.a14 = cx.value(cx.let("a14", "上侧 渐变管内水压力 a4",
                            [&] { return ((pi / 4) * (pow(in.D1, 2) - pow(in.D2, 2))) * HS; }));
    c.a15 = cx.let("a15", "上侧 伸缩节内水压力 a5", [&] { return ((pi * in.H1) * D) * DD; });
    c.a16 = cx.let("a16", "上侧 水对管壁摩擦力 a6", [&] { return ((pi * pow(D, 2)) / 4) * in.DH; });
    c.a17 =
        cx.let("a17", "上侧 伸缩节摩擦力 a7", [&] { return (((pi * in.DS) * in.b1) * in.f) * HS; });
    c.a18 = cx.let("a18", "上侧 支墩摩擦力 a8", [&] { return (in.fg * (c.qwc + c.qsc)) * in.L1; });
    c.a19 = cx.let("a19", "上侧 弯管处离心力 a9",
                   [&] { return (((pi * pow(D, 2)) * pow(in.V, 2)) / 4) / g; });
    if (in.k == kLowerSide) c.a14 = cx.zero("a14", "渐变管在下侧：上侧的渐变管内水压力取 0");

    cx.group(RecordGroup::Sums);
    const auto a14 = cx.real(c.a14);
    c.aa1 = cx.let("aa1", "上侧 温度升高时合计 ∑a",
                   [&] { return c.a11 + c.a13 + a14 + c.a15 + c.a16 + c.a17 + c.a18 + c.a19; });
    c.aa2 = cx.let("aa2", "上侧 温度降低时合计 ∑a",
                   [&] { return c.a11 + c.a13 + a14 + c.a15 + c.a16 - c.a17 - c.a18 + c.a19; });

    cx.group(RecordGroup::LowerPipe);
    c.a21 = cx.let("a21", "下侧 管自重 a1", [&] { return (c.qs * in.L2) * sin(in.a20); });
    c.a22 =
        cx.let("a22", "下侧 堵头或阀门 a2", [&] { return (((pi * pow(D, 2)) / 4) * HS) * in.kk; });
    c.a23 = cx.let("a23", "下侧 弯管处 a3", [&] { return (((-pi) * pow(D, 2)) / 4) * HS; });
    c.a24 = cx.value(cx.let("a24", "下侧 渐变管内水压力 a4",
                            [&] { return ((pi / 4) * (pow(in.D1, 2) - pow(in.D2, 2))) * HS; }));
    c.a25 = cx.let("a25", "下侧 伸缩节内水压力 a5", [&] { return (((-pi) * in.H2) * D) * DD; });
    c.a27 = cx.let("a27", "下侧 伸缩节摩擦力 a7",
                   [&] { return ((((-pi) * in.DS) * in.b2) * in.f) * HS; });
    c.a29 = cx.let("a29", "下侧 弯管处离心力 a9（单精度）",
                   [&] { return toSingle(((((-pi) * pow(D, 2)) * pow(in.V, 2)) / 4) / g); });
    if (in.k == kUpperSide) c.a24 = cx.zero("a24", "渐变管在上侧：下侧的渐变管内水压力取 0");

    cx.group(RecordGroup::Sums);
    const auto a24 = cx.real(c.a24);
    c.aa3 = cx.let("aa3", "下侧 温度升高时合计 ∑a",
                   [&] { return c.a21 + c.a22 + c.a23 + a24 + c.a25 + c.a27 + c.a29; });
    c.aa4 = cx.let("aa4", "下侧 温度降低时合计 ∑a（单精度）",
                   [&] { return toSingle(c.a21 + c.a22 + c.a23 + a24 + c.a25 - c.a27 + c.a29); });
    return c;
}

template ComponentsOf<PlainCalc> computeComponents(PlainCalc&, const InputCaseOf<PlainCalc>&);
template ComponentsOf<TraceCalc> computeComponents(TraceCalc&, const InputCaseOf<TraceCalc>&);

}  // namespace tavorin
