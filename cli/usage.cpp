// The text of tavorin-calc --help: the manual page man/tavorin-calc.1, built into the tool
// (manual_page.h is made from it while building) and shown as plain text.
#include "cli/batch.h"
#include "cli/manual_text.h"
#include "manual_page.h"

namespace tavorin {

std::string batchUsage() { return manualText(kManualPage, 78); }

}  // namespace tavorin
