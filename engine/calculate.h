// The calculate command: what pressing "计  算" does.
#pragma once

#include <optional>
#include <string_view>

#include "engine/fault.h"
#include "engine/fields.h"

namespace tavorin {

// Reads the input case from `store`, computes components, sums, forces, weights and
// volumes, and writes every result text, in this order:
//   x1 y1 w1 x2 y2 w2 (anchor block) or x1 x2 y1 y2 w1 w2 (support pier); the caption of
//   Label25; a12text … a19text, a22text … a29text, aa1text … aa4text, a11text, a21text;
//   v1, v2.
// Returns the fault that stopped it, or nothing. At a fault, the boxes written before it
// keep their new texts and every later box and Label25 keep what they showed. The input
// boxes and choice lists are never changed. `separator` is the decimal separator of the
// user's settings, used for the written texts and the strict readings.
std::optional<Fault> calculate(FieldStore& store, std::string_view separator = ".");

}  // namespace tavorin
