#include "engine/calculate.h"

#include "engine/components.h"
#include "engine/field_io.h"
#include "engine/input_case.h"
#include "engine/numeric_text.h"
#include "engine/sizing.h"

namespace tavorin {

std::optional<Fault> calculate(FieldStore& store, std::string_view separator) {
    FieldIo io(store, separator);
    try {
        const InputCase in = readInputCase(io);
        const Components c = computeComponents(in);
        sizeBlock(io, in, c);
        io.setCaption("Label25", kResultCaption);

        const Value empty;
        io.write("a12text", empty);
        io.write("a13text", c.a13);
        io.write("a14text", c.a14);
        io.write("a15text", c.a15);
        io.write("a16text", c.a16);
        io.write("a17text", c.a17);
        io.write("a18text", c.a18);
        io.write("a19text", c.a19);
        io.write("a22text", c.a22);
        io.write("a23text", c.a23);
        io.write("a24text", c.a24);
        io.write("a25text", c.a25);
        io.write("a26text", empty);
        io.write("a27text", c.a27);
        io.write("a28text", empty);
        io.write("a29text", Value::of(c.a29));
        io.write("aa1text", c.aa1);
        io.write("aa2text", c.aa2);
        io.write("aa3text", c.aa3);
        io.write("aa4text", Value::of(c.aa4));
        // The self-weights are shown to the hundredth, with a leading blank.
        io.write("a11text", leadingBlankText(round2(c.a11).value()));
        io.write("a21text", leadingBlankText(round2(c.a21).value()));

        writeVolumes(io);
        return std::nullopt;
    } catch (const CalcFault& fault) {
        return describeFault(fault);
    }
}

}  // namespace tavorin
