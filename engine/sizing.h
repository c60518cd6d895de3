// Force combination and block sizing: for a temperature rise (x1, y1, w1, v1) and drop
// (x2, y2, w2, v2) the horizontal and vertical force on the block, the block weight needed
// against sliding (safety factor 1.5 on the foundation friction) and its concrete volume.
//
// The weights are computed from the forces as displayed and the volumes from the weights as
// displayed: each is read back from its box by the strict conversion.
#pragma once

#include "engine/components.h"
#include "engine/input_case.h"

namespace tavorin {

// Writes x1, y1, w1, x2, y2, w2 (anchor block) or x1, x2, y1, y2, w1, w2 (support pier, when
// `kj` reads exactly "支墩"). Throws CalcFault; boxes written before a fault keep their texts.
template <class Cx>
void sizeBlock(Cx& cx, const InputCaseOf<Cx>& in, const ComponentsOf<Cx>& c);

// Writes v1, then v2, each from the weight now in w1 or w2. Throws CalcFault.
template <class Cx>
void writeVolumes(Cx& cx);

}  // namespace tavorin
