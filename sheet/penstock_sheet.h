// The calculation sheet of a whole penstock: first the line (its data, a drawing of its profile,
// the table of every row's derived inputs and the table of every row's results), then each
// block's and pier row's own sections as for a single block, with the derivation of its inputs
// (formula, values put in, result) before them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "engine/penstock.h"

namespace tavorin {

// Writes the document in pieces to `write`, so that a long line is never held whole.
void writePenstockSheet(const Penstock& penstock,
                        const std::function<void(std::string_view)>& write);

// The whole document.
std::string penstockSheet(const Penstock& penstock);

}  // namespace tavorin
