// The axial force components a1 … a9 of the upper (a11 … a19) and lower (a21 … a29) pipe
// and their sums for a temperature rise (aa1, aa3) and drop (aa2, aa4), in t.
// a12, a26 and a28 are never computed: their boxes stay empty.
#pragma once

#include "engine/input_case.h"
#include "engine/value.h"

namespace tavorin {

struct Components {
    Real qs;   // pipe-wall self-weight per metre
    Real qwc;  // water weight per metre, normal to the upper pipe
    Real qsc;  // wall weight per metre, normal to the upper pipe

    Real a11;   // pipe self-weight
    Real a13;   // pressure at the bend
    Value a14;  // reducer; the integer 0 when the reducer is on the lower side
    Real a15;   // expansion-joint end pressure
    Real a16;   // water friction on the wall (from the single head loss)
    Real a17;   // expansion-joint friction
    Real a18;   // support-pier friction
    Real a19;   // centrifugal force at the bend

    Real a21;
    Real a22;  // plug or valve
    Real a23;
    Value a24;  // reducer; the integer 0 when the reducer is on the upper side
    Real a25;
    Real a27;
    float a29 = 0;  // rounded to single

    Real aa1;       // upper side, temperature rise
    Real aa2;       // upper side, temperature drop: the two friction forces reversed
    Real aa3;       // lower side, temperature rise
    float aa4 = 0;  // lower side, temperature drop, rounded to single
};

// Throws CalcFault on an arithmetic fault.
Components computeComponents(const InputCase& in);

}  // namespace tavorin
