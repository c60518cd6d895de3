// The result line of tavorin-calc, the one writer of it:
//   {"fields":{"Text1":"…",…,"Label25":"…"},"fault":null}
//   {"fields":{…},"fault":{"kind":"…","message":"…"}}
// Every control of Form1 in table order and, on a line that ran the stability check, every
// box of the check after them. Texts are written as UTF-8; '"', '\' and control characters
// are escaped.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "engine/fault.h"
#include "engine/fields.h"

namespace tavorin {

// Appends the result line for `store` and `fault`, and a line feed, taking exactly the
// room it needs.
void appendResultLine(std::string& out, const MemoryStore& store, const std::optional<Fault>& fault,
                      bool check = false);

// The same in two steps, for a buffer of one's own: at most how many bytes the line takes,
// and writing it at `out`, which has that room; returns the end.
std::size_t resultLineBound(const MemoryStore& store, const std::optional<Fault>& fault,
                            bool check = false);
char* writeResultLine(char* out, const MemoryStore& store, const std::optional<Fault>& fault,
                      bool check = false);

}  // namespace tavorin
