// tavorin-calc --penstock FILE: every block and pier row of a penstock file, derived from its
// profile, calculated (and checked where the point gives Bjt), one result line per row in the
// order along the line, each the line that tavorin-calc gives for the row's case.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/batch.h"

namespace tavorin {

// Writes one result line per row to `out`: {"fields":{…},"fault":null} or with the row's
// fault; a fault of one row never stops the others. A file that cannot be read or is not a
// penstock (not JSON, an unknown key, a missing number, X not increasing, a joint outside its
// span) writes nothing and sets `errors` to one message naming the point and the key:
// kStreamFailed when the file cannot be read, kLineRejected when it is refused. Otherwise
// kAllCalculated, or kStreamFailed when the output fails.
int runPenstock(const std::string& utf8Path, ByteSink& out, std::string& errors);

// The calculation sheet of the whole line (sheet/penstock_sheet.h) on `out`, with the same
// statuses and errors.
int runPenstockSheet(const std::string& utf8Path, std::ostream& out, std::string& errors);

}  // namespace tavorin
