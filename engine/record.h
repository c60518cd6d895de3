// The calculation record: what the calculate command computed, step by step, for the
// calculation sheet. It is filled by the calculation itself, from the same formulas that
// compute the results, so the sheet cannot disagree with the boxes.
//
// Formulas and substitutions are plain UTF-8 text: quantities by their names ("a11",
// "qs"), the circle constant as "π", operators "+", "−", "×", "÷", powers of 2 as "²",
// square roots as "√(…)", the floor as "⌊…⌋", absolute values as "|…|":
//   qs:  formula "π × ((D + 2 × DD)² − D²) ÷ 4 × 7.85"
//        substitution "3.1416 × ((1 + 2 × 0.014)² − 1²) ÷ 4 × 7.85"
// A negative number in a substitution stands in parentheses: "cos(0.6108) × (-147.1)".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fault.h"
#include "engine/fields.h"

namespace tavorin {

// Where a step belongs on the sheet; the window's grids, in the order they are shown.
enum class RecordGroup {
    Angles,     // the angles in radians
    UpperPipe,  // qs, qwc, qsc and a11 … a19
    LowerPipe,  // a21 … a29
    Sums,       // aa1 … aa4
    Pier,       // what both temperature cases of a support pier share
    Rise,       // x1, y1, w1, v1 and what leads to them
    Drop,       // x2, y2, w2, v2 and what leads to them
    // The stability check (check.h): what its rows share, then each row.
    CheckBlock,
    CheckRise,
    CheckDrop,
    CheckRiseSeismic,
    CheckDropSeismic,
    CheckVerdict,  // jg and Bmin
    // A block of a penstock: its inputs derived from the profile (penstock.h).
    Profile,
};

// One input as it was read.
struct RecordedInput {
    std::string box;        // "HSt"
    std::string symbol;     // "HS"
    std::string unit;       // "m", "m/s", "度.分", or empty for a pure number
    std::string text;       // the box's text as typed
    std::string valueText;  // the number read, in the general form ("152")
    bool strict = false;    // read by the strict conversion (the turning angle)
};

// One named quantity, in the order computed.
struct RecordedStep {
    std::string name;     // "a11", "x1", "qs"
    std::string meaning;  // Chinese: "上侧管自重 a1"
    RecordGroup group = RecordGroup::UpperPipe;
    std::string formula;       // as evaluated, with names
    std::string substitution;  // the same with the operands' values
    std::string valueText;     // the value in the general form of its kind
    bool single = false;       // rounded to single precision
    std::string note;          // a rule that applies, e.g. why a reducer force is 0
    std::string box;           // the box that shows it, or empty
    std::string boxText;       // the text written into that box (exactly)
};

struct CalcRecord {
    std::string blockName;                                     // the text of Text1
    std::vector<RecordedInput> inputs;                         // in the order read
    std::vector<RecordedInput> choices;                        // kj and k (symbol = box, no value)
    std::vector<RecordedStep> steps;                           // in the order computed
    std::vector<std::pair<std::string, std::string>> written;  // every box written, in order
    std::string faultAt;         // the input box or quantity where it stopped
    std::optional<Fault> fault;  // what stopped the command, if anything

    // The text written into `box` by this run, or nullptr when it was not written.
    const std::string* writtenText(std::string_view box) const;
};

// The calculate command of calculate.h, recording every step into `record` (cleared
// first). The store ends exactly as after the plain command; Text1 is read in addition,
// for the block's name (a failure there only leaves the name empty).
std::optional<Fault> calculate(FieldStore& store, CalcRecord& record,
                               std::string_view separator = ".");

}  // namespace tavorin
