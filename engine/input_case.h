// The input case of one calculation: the numbers and choices typed into the window.
#pragma once

#include <string>

#include "engine/calc_context.h"
#include "engine/field_io.h"
#include "engine/real.h"

namespace tavorin {

// The circle constant as the calculation uses it everywhere: 3.1416.
inline constexpr Real PI = 3.1416;

// The numbers of one case in the types of a calculation context (calc_context.h): `Real`
// and `float` for the calculate command, traced numbers for the calculation record.
template <class Cx>
struct InputCaseOf {
    using Num = typename Cx::Num;
    using Single = typename Cx::Single;
    Num HS;          // design head at the block, m
    Num DD;          // pipe wall thickness, m
    Num L1;          // upper pipe length, m
    Num L2;          // lower pipe length, m
    Num D;           // pipe diameter, m
    Num DA1;         // upper pipe angle, degrees.minutes
    Num DA2;         // lower pipe angle, degrees.minutes
    Num V;           // flow velocity, m/s
    Num b1;          // packing length of the upper expansion joint, m
    Num b2;          // packing length of the lower expansion joint, m
    Num f;           // friction coefficient of the expansion-joint packing
    Num fg;          // friction coefficient of the pipe on the support piers
    Num fj;          // friction coefficient of the block on its foundation
    Num DS;          // expansion-joint diameter, m
    Num H1;          // head at the upper expansion joint, m
    Num H2;          // head at the lower expansion joint, m
    Num D1;          // reducer diameter d1, m
    Num D2;          // reducer diameter d2, m
    Single DH{};     // head loss by wall friction, m (single)
    Num kk;          // plug or valve present: a plain multiplier
    Single spj{};    // horizontal turning angle, radians (single; typed in degrees)
    Num a10;         // upper pipe angle, radians
    Num a20;         // lower pipe angle, radians
    std::string kj;  // kind of structure: "支墩" selects the support-pier rules
    std::string k;   // side of the reducer
    Num pi;          // the circle constant, as the context names it
};

using InputCase = InputCaseOf<PlainCalc>;

// Reads the 21 numeric inputs in order (the turning angle last, strictly), then the two
// choice lists, and derives the angles in radians. Throws CalcFault.
template <class Cx>
InputCaseOf<Cx> readInputCase(Cx& cx);

// An angle typed as degrees.minutes ("35.30" is 35°30′), in radians. The minutes are not
// checked ("35.75" is 36.25°); a negative angle is split by its magnitude ("-10.30" is
// -10.5°).
template <class N>
N pipeAngleOf(const N& degreesMinutes, const N& pi) {
    auto degrees = [](const N& m) {
        const N i = intFloor(m);
        return (((m - i) / 60) * 100) + i;
    };
    // Splitting a negative angle with the floor would read "-10.30" as about -9.833°.
    const N a = degreesMinutes.value() < 0 ? -degrees(-degreesMinutes) : degrees(degreesMinutes);
    return (a * pi) / 180;
}

inline Real pipeAngle(Real degreesMinutes) { return pipeAngleOf(degreesMinutes, PI); }

}  // namespace tavorin
