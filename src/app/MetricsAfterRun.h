#pragma once
// The metrics file, written after every archive run, removal pass, audit and restore where the
// setting "Metrics File" (section "Report") or the command line's --metrics-file says; nothing
// when neither names a file.
#include <string>

#include "app/ArchiverCore.h"

namespace mirabel {

// The file named by --metrics-file; it goes before the setting for the rest of the process.
void UseMetricsFileOption(const std::string& file);

// Writes the metrics of the catalog, the backlog count and the image store, atomically. A file
// that cannot be written costs one error-log line, never the run's result.
void WriteMetricsAfterRun(ArchiverCore& core);

}  // namespace mirabel
