#include "engine/components.h"

#include "engine/fields.h"

namespace tavorin {

// Each formula is evaluated exactly as parenthesised, one double rounding per operation,
// left operand first. The lower-side terms that act against the upper side start from
// the negated constant -PI.
Components computeComponents(const InputCase& in) {
    const Real D = in.D;
    const Real DD = in.DD;
    const Real HS = in.HS;
    Components c;

    c.qs = ((PI * (pow(D + (2 * DD), 2) - pow(D, 2))) / 4) * 7.85;
    c.qwc = ((PI * pow(D, 2)) / 4) * cos(in.a10);
    c.qsc = c.qs * cos(in.a10);

    c.a11 = (c.qs * in.L1) * sin(in.a10);
    c.a13 = ((PI * pow(D, 2)) / 4) * HS;
    c.a14 = Value::of(((PI / 4) * (pow(in.D1, 2) - pow(in.D2, 2))) * HS);
    c.a15 = ((PI * in.H1) * D) * DD;
    c.a16 = ((PI * pow(D, 2)) / 4) * in.DH;
    c.a17 = (((PI * in.DS) * in.b1) * in.f) * HS;
    c.a18 = (in.fg * (c.qwc + c.qsc)) * in.L1;
    c.a19 = (((PI * pow(D, 2)) * pow(in.V, 2)) / 4) / 9.81;
    if (in.k == kLowerSide) c.a14 = Value::integer(0);

    const Real a14 = c.a14.real();
    c.aa1 = c.a11 + c.a13 + a14 + c.a15 + c.a16 + c.a17 + c.a18 + c.a19;
    c.aa2 = c.a11 + c.a13 + a14 + c.a15 + c.a16 - c.a17 - c.a18 + c.a19;

    c.a21 = (c.qs * in.L2) * sin(in.a20);
    c.a22 = (((PI * pow(D, 2)) / 4) * HS) * in.kk;
    c.a23 = (((-PI) * pow(D, 2)) / 4) * HS;
    c.a24 = Value::of(((PI / 4) * (pow(in.D1, 2) - pow(in.D2, 2))) * HS);
    c.a25 = (((-PI) * in.H2) * D) * DD;
    c.a27 = ((((-PI) * in.DS) * in.b2) * in.f) * HS;
    c.a29 = toSingle(((((-PI) * pow(D, 2)) * pow(in.V, 2)) / 4) / 9.81);
    if (in.k == kUpperSide) c.a24 = Value::integer(0);

    const Real a24 = c.a24.real();
    c.aa3 = c.a21 + c.a22 + c.a23 + a24 + c.a25 + c.a27 + c.a29;
    c.aa4 = toSingle(c.a21 + c.a22 + c.a23 + a24 + c.a25 - c.a27 + c.a29);
    return c;
}

}  // namespace tavorin
