// tavorin-calc: the calculate command over JSON Lines, for many blocks at once.
#pragma once

#include <iosfwd>
#include <string>

namespace tavorin {

// Runs one calculation per input line on a fresh store in the start state and writes one
// output line per input line:
//   {"fields": {<every box and Label25 in table order>}, "fault": null}
//   {"fields": {...}, "fault": {"kind": "division-by-zero", "message": "除数为零：…"}}
//   {"error": "line 3: unknown control \"HS\""}
// An input line is a JSON object mapping control names (input boxes, kj, k, output boxes)
// to texts. Returns 1 when any line was rejected with an error, else 0.
int runBatch(std::istream& in, std::ostream& out);

// The text of --help.
std::string batchUsage();

}  // namespace tavorin
