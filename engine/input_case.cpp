#include "engine/input_case.h"

namespace tavorin {

Real pipeAngle(Real degreesMinutes) {
    auto degrees = [](Real m) {
        const Real i = intFloor(m);
        return (((m - i) / 60) * 100) + i;
    };
    // Splitting a negative angle with the floor would read "-10.30" as about -9.833°.
    const Real a = degreesMinutes.value() < 0 ? -degrees(-degreesMinutes) : degrees(degreesMinutes);
    return (a * PI) / 180;
}

InputCase readInputCase(FieldIo& io) {
    InputCase in;
    in.HS = io.readLenient("HSt");
    in.DD = io.readLenient("DDt");
    in.L1 = io.readLenient("L1t");
    in.L2 = io.readLenient("L2t");
    in.D = io.readLenient("Dt");
    in.DA1 = io.readLenient("DA1t");
    in.DA2 = io.readLenient("DA2t");
    in.V = io.readLenient("Vt");
    in.b1 = io.readLenient("b1t");
    in.b2 = io.readLenient("b2t");
    in.f = io.readLenient("ft");
    in.fg = io.readLenient("fgt");
    in.fj = io.readLenient("fjt");
    in.DS = io.readLenient("DSt");
    in.H1 = io.readLenient("H1t");
    in.H2 = io.readLenient("H2t");
    in.D1 = io.readLenient("D1t");
    in.D2 = io.readLenient("D2t");
    in.DH = io.readLenientSingle("DHt");
    in.kk = io.readLenient("kkt");
    const float spjDegrees = io.readStrictSingle("spjText");
    in.kj = io.read("kj");
    in.k = io.read("k");

    in.spj = toSingle((Real(spjDegrees) * PI) / 180);
    in.a10 = pipeAngle(in.DA1);
    in.a20 = pipeAngle(in.DA2);
    return in;
}

}  // namespace tavorin
