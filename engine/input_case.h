// The input case of one calculation: the numbers and choices typed into the window.
#pragma once

#include <string>

#include "engine/field_io.h"
#include "engine/real.h"

namespace tavorin {

// The circle constant as the calculation uses it everywhere: 3.1416.
inline constexpr Real PI = 3.1416;

struct InputCase {
    Real HS;         // design head at the block, m
    Real DD;         // pipe wall thickness, m
    Real L1;         // upper pipe length, m
    Real L2;         // lower pipe length, m
    Real D;          // pipe diameter, m
    Real DA1;        // upper pipe angle, degrees.minutes
    Real DA2;        // lower pipe angle, degrees.minutes
    Real V;          // flow velocity, m/s
    Real b1;         // packing length of the upper expansion joint, m
    Real b2;         // packing length of the lower expansion joint, m
    Real f;          // friction coefficient of the expansion-joint packing
    Real fg;         // friction coefficient of the pipe on the support piers
    Real fj;         // friction coefficient of the block on its foundation
    Real DS;         // expansion-joint diameter, m
    Real H1;         // head at the upper expansion joint, m
    Real H2;         // head at the lower expansion joint, m
    Real D1;         // reducer diameter d1, m
    Real D2;         // reducer diameter d2, m
    float DH = 0;    // head loss by wall friction, m (single)
    Real kk;         // plug or valve present: a plain multiplier
    float spj = 0;   // horizontal turning angle, radians (single; typed in degrees)
    Real a10;        // upper pipe angle, radians
    Real a20;        // lower pipe angle, radians
    std::string kj;  // kind of structure: "支墩" selects the support-pier rules
    std::string k;   // side of the reducer
};

// Reads the 21 numeric inputs in order (the turning angle last, strictly), then the two
// choice lists, and derives the angles in radians. Throws CalcFault.
InputCase readInputCase(FieldIo& io);

// An angle typed as degrees.minutes ("35.30" is 35°30′), in radians. The minutes are not
// checked ("35.75" is 36.25°); a negative angle is split by its magnitude ("-10.30" is
// -10.5°).
Real pipeAngle(Real degreesMinutes);

}  // namespace tavorin
