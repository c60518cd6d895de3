// The axial force components a1 … a9 of the upper (a11 … a19) and lower (a21 … a29) pipe
// and their sums for a temperature rise (aa1, aa3) and drop (aa2, aa4), in t.
// a12, a26 and a28 are never computed: their boxes stay empty.
#pragma once

#include "engine/input_case.h"
#include "engine/value.h"

namespace tavorin {

template <class Cx>
struct ComponentsOf {
    using Num = typename Cx::Num;
    using Single = typename Cx::Single;
    using Val = typename Cx::Val;

    Num qs;   // pipe-wall self-weight per metre
    Num qwc;  // water weight per metre, normal to the upper pipe
    Num qsc;  // wall weight per metre, normal to the upper pipe

    Num a11;  // pipe self-weight
    Num a13;  // pressure at the bend
    Val a14;  // reducer; the integer 0 when the reducer is on the lower side
    Num a15;  // expansion-joint end pressure
    Num a16;  // water friction on the wall (from the single head loss)
    Num a17;  // expansion-joint friction
    Num a18;  // support-pier friction
    Num a19;  // centrifugal force at the bend

    Num a21;
    Num a22;  // plug or valve
    Num a23;
    Val a24;  // reducer; the integer 0 when the reducer is on the upper side
    Num a25;
    Num a27;
    Single a29{};  // rounded to single

    Num aa1;       // upper side, temperature rise
    Num aa2;       // upper side, temperature drop: the two friction forces reversed
    Num aa3;       // lower side, temperature rise
    Single aa4{};  // lower side, temperature drop, rounded to single
};

using Components = ComponentsOf<PlainCalc>;

// Throws CalcFault on an arithmetic fault.
template <class Cx>
ComponentsOf<Cx> computeComponents(Cx& cx, const InputCaseOf<Cx>& in);

}  // namespace tavorin
