#pragma once
// The status report of the start directory as the program builds it: the stored configuration of
// the current destination, its image database and image store, and the catalog. Building it
// writes nothing: no log line, no catalog file, nothing in the image database.
#include "app/ArchiverCore.h"
#include "report/StatusReport.h"

namespace mirabel {

enum class ReportDepth {
    Full,   // the backlog measured, the removal rules run: `mirabel --report`
    Cheap,  // the backlog counted only, no removal selection: the metrics after every run
};

StatusReport BuildStatusReport(ArchiverCore& core, ReportDepth depth);

// The last run of each kind that ended with status 0, from the catalog if there is one.
std::vector<RunRecord> LastSuccessfulRuns();

}  // namespace mirabel
