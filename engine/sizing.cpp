#include "engine/sizing.h"

#include "engine/fields.h"

namespace tavorin {
namespace {

constexpr Real K = 1.5;  // safety factor against sliding

// The weight needed against sliding, ((x × K) / fj) − y, from the texts of the force boxes
// as shown: x first, then the division, then y. The support pier takes |x|.
void writeWeight(FieldIo& io, const InputCase& in, FieldId weightBox, FieldId xBox, FieldId yBox,
                 bool absolute) {
    Real x = io.readStrict(xBox);
    if (absolute) x = abs(x);
    // fj is the only divisor the user types.
    if (in.fj.value() == 0.0) throw CalcFault{FaultKind::DivisionByZero, "fjt"};
    const Real resistance = (x * K) / in.fj;
    io.write(weightBox, resistance - io.readStrict(yBox));
}

void sizeAnchorBlock(FieldIo& io, const InputCase& in, const Components& c) {
    // Temperature rise: the law-of-cosines resultant of the two horizontal projections
    // meeting at the turning angle.
    const Real a1x = cos(in.a10) * c.aa1;
    const Real a3x = cos(in.a20) * c.aa3;
    const Real x1 = pow((pow(a3x, 2) + pow(a1x, 2)) - (cos(PI - in.spj) * (a3x * (a1x * 2))), 0.5);
    io.write("x1", x1);
    const Real y1 = (sin(in.a20) * c.aa3) + (sin(in.a10) * c.aa1);
    io.write("y1", y1);
    writeWeight(io, in, "w1", "x1", "y1", false);

    // Temperature drop: the lower projection turned by the turning angle, then the length
    // of the sum. With no turn this is |b1 + b3|; a signed sum would give a turned block a
    // wrong force, and a negative force a negative weight.
    const Real b1 = cos(in.a10) * c.aa2;
    const Real b3 = c.aa4 * cos(in.a20);
    const Real x2 = pow(pow(b1 + (b3 * cos(in.spj)), 2) + pow(b3 * sin(in.spj), 2), 0.5);
    io.write("x2", x2);
    const Real y2 = (c.aa4 * sin(in.a20)) + (sin(in.a10) * c.aa2);
    io.write("y2", y2);
    writeWeight(io, in, "w2", "x2", "y2", false);
}

void sizeSupportPier(FieldIo& io, const InputCase& in, const Components& c) {
    // The upper pipe only: the wall weight over its length plus its normal component.
    const Real P = in.L1 * (c.qs + c.qsc);
    io.write("x1", (cos(in.a10) * (-c.a18)) - (sin(in.a10) * P));
    io.write("x2", (cos(in.a10) * c.a18) - (sin(in.a10) * P));
    io.write("y1", (cos(in.a10) * P) + (sin(in.a10) * (-c.a18)));
    io.write("y2", (cos(in.a10) * P) + (sin(in.a10) * c.a18));
    writeWeight(io, in, "w1", "x1", "y1", true);
    writeWeight(io, in, "w2", "x2", "y2", true);
}

}  // namespace

void sizeBlock(FieldIo& io, const InputCase& in, const Components& c) {
    if (in.kj == kSupportPier) {
        sizeSupportPier(io, in, c);
    } else {
        sizeAnchorBlock(io, in, c);
    }
}

void writeVolumes(FieldIo& io) {
    // Concrete at 2.4 t/m³, rounded to hundredths of a cubic metre; nothing is clamped.
    io.write("v1", round2(io.readStrict("w1") / 2.4));
    io.write("v2", round2(io.readStrict("w2") / 2.4));
}

}  // namespace tavorin
