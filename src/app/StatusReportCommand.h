#pragma once
#include "app/CommandLine.h"

namespace mirabel {

// "mirabel --report [--json]": the status report of the current destination on standard output,
// as text or as JSON (the keys README documents). Reads only: no log line, no catalog file made,
// nothing written to the image database. 0 when printed; 2 when the stored configuration cannot
// be loaded (the reason on standard error). Parts that cannot be read say why in the report.
int PrintStatusReportHeadless(const CommandLine& line);

}  // namespace mirabel
