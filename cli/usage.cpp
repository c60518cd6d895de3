// The text of tavorin-calc --help: the synopsis, the lines and the options of the manual
// page man/tavorin-calc.1 as groff sets them, made while building (help_text.h, from
// cmake/help_text.cmake).
#include "cli/batch.h"
#include "help_text.h"

namespace tavorin {

std::string batchUsage() { return std::string(kHelpText); }

}  // namespace tavorin
