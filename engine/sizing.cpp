#include "engine/sizing.h"

#include "engine/fields.h"
#include "engine/trace.h"

namespace tavorin {
namespace {

// The weight needed against sliding, ((x × K) / fj) − y, from the texts of the force boxes
// as shown: x first, then the division, then y. The support pier takes |x|.
template <class Cx>
void writeWeight(Cx& cx, const InputCaseOf<Cx>& in, const char* weightBox, const char* meaning,
                 const char* xBox, const char* yBox, bool absolute) {
    const auto K = cx.constant("K", 1.5);  // safety factor against sliding
    const auto w = cx.let(weightBox, meaning, [&] {
        auto x = cx.readBack(xBox);
        if (absolute) x = abs(x);
        // fj is the only divisor the user types.
        if (in.fj.value() == 0.0) throw CalcFault{FaultKind::DivisionByZero, "fjt"};
        const auto resistance = (x * K) / in.fj;
        return resistance - cx.readBack(yBox);
    });
    cx.write(weightBox, w);
}

template <class Cx>
void sizeAnchorBlock(Cx& cx, const InputCaseOf<Cx>& in, const ComponentsOf<Cx>& c) {
    // Temperature rise: the law-of-cosines resultant of the two horizontal projections
    // meeting at the turning angle.
    cx.group(RecordGroup::Rise);
    const auto a1x =
        cx.let("a1x", "温度升高时上侧合力的水平投影", [&] { return cos(in.a10) * c.aa1; });
    const auto a3x =
        cx.let("a3x", "温度升高时下侧合力的水平投影", [&] { return cos(in.a20) * c.aa3; });
    const auto x1 = cx.let("x1", "温度升高 水平作用力 (t)", [&] {
        return pow((pow(a3x, 2) + pow(a1x, 2)) - (cos(in.pi - in.spj) * (a3x * (a1x * 2))), 0.5);
    });
    cx.write("x1", x1);
    const auto y1 = cx.let("y1", "温度升高 垂直作用力 (t)",
                           [&] { return (sin(in.a20) * c.aa3) + (sin(in.a10) * c.aa1); });
    cx.write("y1", y1);
    writeWeight(cx, in, "w1", "温度升高 镇墩重量 (t)", "x1", "y1", false);

    // Temperature drop: the lower projection turned by the turning angle, then the length
    // of the sum. With no turn this is |a2x + a4x|; a signed sum would give a turned block a
    // wrong force, and a negative force a negative weight.
    cx.group(RecordGroup::Drop);
    const auto a2x =
        cx.let("a2x", "温度降低时上侧合力的水平投影", [&] { return cos(in.a10) * c.aa2; });
    const auto a4x =
        cx.let("a4x", "温度降低时下侧合力的水平投影", [&] { return c.aa4 * cos(in.a20); });
    const auto x2 = cx.let("x2", "温度降低 水平作用力 (t)", [&] {
        return pow(pow(a2x + (a4x * cos(in.spj)), 2) + pow(a4x * sin(in.spj), 2), 0.5);
    });
    cx.write("x2", x2);
    const auto y2 = cx.let("y2", "温度降低 垂直作用力 (t)",
                           [&] { return (c.aa4 * sin(in.a20)) + (sin(in.a10) * c.aa2); });
    cx.write("y2", y2);
    writeWeight(cx, in, "w2", "温度降低 镇墩重量 (t)", "x2", "y2", false);
}

template <class Cx>
void sizeSupportPier(Cx& cx, const InputCaseOf<Cx>& in, const ComponentsOf<Cx>& c) {
    // The upper pipe only: the wall weight over its length plus its normal component.
    cx.group(RecordGroup::Pier);
    const auto P =
        cx.let("P", "上侧管壁自重及其垂直分量之和 (t)", [&] { return in.L1 * (c.qs + c.qsc); });
    cx.group(RecordGroup::Rise);
    cx.write("x1", cx.let("x1", "温度升高 水平作用力 (t)",
                          [&] { return (cos(in.a10) * (-c.a18)) - (sin(in.a10) * P); }));
    cx.group(RecordGroup::Drop);
    cx.write("x2", cx.let("x2", "温度降低 水平作用力 (t)",
                          [&] { return (cos(in.a10) * c.a18) - (sin(in.a10) * P); }));
    cx.group(RecordGroup::Rise);
    cx.write("y1", cx.let("y1", "温度升高 垂直作用力 (t)",
                          [&] { return (cos(in.a10) * P) + (sin(in.a10) * (-c.a18)); }));
    cx.group(RecordGroup::Drop);
    cx.write("y2", cx.let("y2", "温度降低 垂直作用力 (t)",
                          [&] { return (cos(in.a10) * P) + (sin(in.a10) * c.a18); }));
    cx.group(RecordGroup::Rise);
    writeWeight(cx, in, "w1", "温度升高 支墩重量 (t)", "x1", "y1", true);
    cx.group(RecordGroup::Drop);
    writeWeight(cx, in, "w2", "温度降低 支墩重量 (t)", "x2", "y2", true);
}

}  // namespace

template <class Cx>
void sizeBlock(Cx& cx, const InputCaseOf<Cx>& in, const ComponentsOf<Cx>& c) {
    if (in.kj == kSupportPier) {
        sizeSupportPier(cx, in, c);
    } else {
        sizeAnchorBlock(cx, in, c);
    }
}

template <class Cx>
void writeVolumes(Cx& cx) {
    // Concrete at 2.4 t/m³, rounded to hundredths of a cubic metre; nothing is clamped.
    cx.group(RecordGroup::Rise);
    cx.write("v1", cx.let("v1", "温度升高 混凝土体积 (m³)，混凝土容重 2.4 t/m³",
                          [&] { return roundHundredths(cx.readBack("w1") / 2.4); }));
    cx.group(RecordGroup::Drop);
    cx.write("v2", cx.let("v2", "温度降低 混凝土体积 (m³)，混凝土容重 2.4 t/m³",
                          [&] { return roundHundredths(cx.readBack("w2") / 2.4); }));
}

template void sizeBlock(PlainCalc&, const InputCaseOf<PlainCalc>&, const ComponentsOf<PlainCalc>&);
template void sizeBlock(TraceCalc&, const InputCaseOf<TraceCalc>&, const ComponentsOf<TraceCalc>&);
template void writeVolumes(PlainCalc&);
template void writeVolumes(TraceCalc&);

}  // namespace tavorin
