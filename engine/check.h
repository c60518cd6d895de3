// The stability check (稳定验算): a second command over the field store, after a calculate
// command that finished without a fault. It checks the block the engineer drew against
// sliding, overturning, eccentricity and bearing pressure, for a temperature rise and drop
// (rows 1, 2) and, with a seismic coefficient, the same with the seismic load (rows 1e, 2e),
// and finds the smallest base length that passes them all.
//
// Model: a rigid block on a plane base. The pipe forces act at the bend point, hp above the
// base; the bend point and the centre of gravity stand above the centre of the base; the
// uplift is uniform over the base; in a seismic row the block's inertia Kh × G acts at its
// centre of gravity, in the direction of the pipes' horizontal force. t, m, t/m².
//
// Inputs, read in this order by the strict double conversion (a blank optional box is not
// given; the first fault stops the check):
//   Bjt B > 0, Ljt L > 0, Hjt Hb > 0 (required unless Gjt is given), Gjt G > 0 (optional;
//   then hgt is required), hpt hp ≥ 0, hgt hG ≥ 0 (optional: Hb / 2), hwt hw ≥ 0, Rjt [σ]
//   (optional: the bearing pressure is then not judged), Kht Kh ≥ 0, Kct, Kcet, Kot, Koet,
//   Rket; then fj by the lenient reading of fjt (as the calculate command read it), and X, Y
//   read back from the texts of x1, y1 (rows 1, 1e) and x2, y2 (rows 2, 2e). A number out
//   of its range is an InvalidArgument fault naming the box.
// Results, written in this order: Gj; for each row Nj, Hj, Kc, Ko, ej, smax, smin, jg (the
// seismic rows empty when Kh = 0); jg; Bmin. A quantity that does not exist is "—"; a
// verdict is "满足" or "不满足：" with the failed checks (抗滑、抗倾覆、偏心、地基应力).
// At a fault the boxes written before it keep their new texts, the later ones what they
// showed, as with the calculate command.
//
// For the batch tool, case files and the windows: the check's boxes are checkFieldTable()
// (fields.h), a name is one of them when findCheckField(name) is not null, and a
// MemoryStore holds them.
#pragma once

#include <optional>
#include <string_view>

#include "engine/fault.h"
#include "engine/fields.h"
#include "engine/record.h"

namespace tavorin {

// Runs the check on `store`, whose x1, y1, x2, y2 hold the results of a calculate command
// that finished without a fault. Returns the fault that stopped it, or nothing.
// `separator` is the decimal separator of the user's settings, as for calculate().
std::optional<Fault> checkStability(FieldStore& store, std::string_view separator = ".");

// The same, recording every step into `record` (cleared first) for the sheet.
std::optional<Fault> checkStability(FieldStore& store, CalcRecord& record,
                                    std::string_view separator = ".");

// Whether a line naming these controls asks for the check: any of them is a check box.
template <class Names>
bool hasCheckInput(const Names& names) {
    for (const auto& name : names) {
        if (findCheckField(name) != nullptr) return true;
    }
    return false;
}

}  // namespace tavorin
