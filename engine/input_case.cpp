#include "engine/input_case.h"

#include "engine/trace.h"

namespace tavorin {

template <class Cx>
InputCaseOf<Cx> readInputCase(Cx& cx) {
    InputCaseOf<Cx> in;
    in.HS = cx.input("HSt", "HS", "m");
    in.DD = cx.input("DDt", "DD", "m");
    in.L1 = cx.input("L1t", "L1", "m");
    in.L2 = cx.input("L2t", "L2", "m");
    in.D = cx.input("Dt", "D", "m");
    in.DA1 = cx.input("DA1t", "DA1", "度.分");
    in.DA2 = cx.input("DA2t", "DA2", "度.分");
    in.V = cx.input("Vt", "V", "m/s");
    in.b1 = cx.input("b1t", "b1", "m");
    in.b2 = cx.input("b2t", "b2", "m");
    in.f = cx.input("ft", "f", "");
    in.fg = cx.input("fgt", "fg", "");
    in.fj = cx.input("fjt", "fj", "");
    in.DS = cx.input("DSt", "DS", "m");
    in.H1 = cx.input("H1t", "H1", "m");
    in.H2 = cx.input("H2t", "H2", "m");
    in.D1 = cx.input("D1t", "D1", "m");
    in.D2 = cx.input("D2t", "D2", "m");
    in.DH = cx.inputSingle("DHt", "DH", "m");
    in.kk = cx.input("kkt", "kk", "");
    const auto spjDegrees = cx.inputStrictSingle("spjText", "spj", "度");
    in.kj = cx.choice("kj");
    in.k = cx.choice("k");

    cx.group(RecordGroup::Angles);
    const auto pi = cx.constant("π", PI);
    in.pi = pi;
    in.spj = cx.let("spj", "水平转角（弧度）", [&] { return toSingle((spjDegrees * pi) / 180); });
    in.a10 = cx.let("a10", "上侧管夹角（弧度）", [&] { return pipeAngleOf(in.DA1, pi); });
    in.a20 = cx.let("a20", "下侧管夹角（弧度）", [&] { return pipeAngleOf(in.DA2, pi); });
    return in;
}

template InputCaseOf<PlainCalc> readInputCase(PlainCalc&);
template InputCaseOf<TraceCalc> readInputCase(TraceCalc&);

}  // namespace tavorin
