#include "engine/calculate.h"

#include "engine/calc_context.h"
#include "engine/command.h"
#include "engine/components.h"
#include "engine/field_io.h"
#include "engine/input_case.h"
#include "engine/numeric_text.h"
#include "engine/record.h"
#include "engine/sizing.h"
#include "engine/trace.h"

namespace tavorin {
namespace {

template <class Cx>
void runCalculation(Cx& cx) {
    const InputCaseOf<Cx> in = readInputCase(cx);
    const ComponentsOf<Cx> c = computeComponents(cx, in);
    sizeBlock(cx, in, c);
    cx.setCaption("Label25", kResultCaption);

    cx.writeEmpty("a12text");
    cx.write("a13text", c.a13);
    cx.write("a14text", c.a14);
    cx.write("a15text", c.a15);
    cx.write("a16text", c.a16);
    cx.write("a17text", c.a17);
    cx.write("a18text", c.a18);
    cx.write("a19text", c.a19);
    cx.write("a22text", c.a22);
    cx.write("a23text", c.a23);
    cx.write("a24text", c.a24);
    cx.write("a25text", c.a25);
    cx.writeEmpty("a26text");
    cx.write("a27text", c.a27);
    cx.writeEmpty("a28text");
    cx.write("a29text", c.a29);
    cx.write("aa1text", c.aa1);
    cx.write("aa2text", c.aa2);
    cx.write("aa3text", c.aa3);
    cx.write("aa4text", c.aa4);
    // The self-weights are shown to the hundredth, with a leading blank.
    cx.writeHundredths("a11text", c.a11);
    cx.writeHundredths("a21text", c.a21);

    writeVolumes(cx);
}

}  // namespace

std::optional<Fault> calculate(FieldStore& store, std::string_view separator) {
    return runPlainCommand(store, separator, [](auto& cx) { runCalculation(cx); });
}

std::optional<Fault> calculate(FieldStore& store, CalcRecord& record, std::string_view separator) {
    return runRecordedCommand(store, record, separator, [](auto& cx) { runCalculation(cx); });
}

const std::string* CalcRecord::writtenText(std::string_view box) const {
    for (auto it = written.rbegin(); it != written.rend(); ++it) {
        if (it->first == box) return &it->second;
    }
    return nullptr;
}

}  // namespace tavorin
