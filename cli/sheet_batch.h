// tavorin-calc --sheet: the calculation sheet of every block of a batch in one document.
#pragma once

#include <iosfwd>

namespace tavorin {

// Reads the same JSON Lines as runBatch and writes one HTML document with one section per
// input line, each starting on a new page. A line stopped by a fault gets its section up
// to the fault, with the fault's message; a line that is not a case gets a section that
// says why. Returns 1 when any line was rejected, else 0.
int runSheetBatch(std::istream& in, std::ostream& out);

}  // namespace tavorin
