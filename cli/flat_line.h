// The usual tavorin-calc line without a JSON document: a flat object of control names to
// texts read straight into the store.
#pragma once

#include <string>
#include <string_view>

#include "engine/fields.h"

namespace tavorin {

// Reads `line` into `store` when it is one JSON object whose keys are input boxes, choice
// lists or output boxes and whose values are strings, each written as in the line's order.
// Returns false, with the store partly written, for anything else: the full parser then
// decides, and words any error. Never throws; `scratch` holds decoded escapes.
bool loadFlatLine(std::string_view line, MemoryStore& store, std::string& scratch);

}  // namespace tavorin
