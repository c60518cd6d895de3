// The usual tavorin-calc line without a JSON document: a flat object of control names to
// texts read straight into the store, and the result line written straight from it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/fault.h"
#include "engine/fields.h"

namespace tavorin {

// Reads `line` into `store` when it is one JSON object whose keys are input boxes, choice
// lists or output boxes and whose values are strings, each written as in the line's order.
// Returns false, with the store partly written, for anything else: the full parser then
// decides, and words any error. Never throws; `scratch` holds decoded escapes.
bool loadFlatLine(std::string_view line, MemoryStore& store, std::string& scratch);

// Appends the result line for `store` and `fault`, and a line feed:
//   {"fields":{"Text1":"…",…,"Label25":"…"},"fault":null}
//   {"fields":{…},"fault":{"kind":"…","message":"…"}}
// Texts are written as UTF-8; '"', '\' and control characters are escaped.
void appendResultLine(std::string& out, const MemoryStore& store,
                      const std::optional<Fault>& fault);

// The same in two steps, for a buffer of one's own: at most how many bytes the line takes,
// and writing it at `out`, which has that room; returns the end.
std::size_t resultLineBound(const MemoryStore& store, const std::optional<Fault>& fault);
char* writeResultLine(char* out, const MemoryStore& store, const std::optional<Fault>& fault);

}  // namespace tavorin
