#pragma once
// The backlog for the status report: every study waiting under the current criteria (not only
// the oldest ones a run would list), the oldest waiting exam date ("YYYY-MM-DD HH:MM"), and
// their size. Sizes are
// measured folder by folder; with many studies a fixed sample of folders is measured and the
// rest estimated from its average, so that the report stays quick at half a million studies.
// Only reads: the archive column is never added, nothing is written to the image database.
#include <cstddef>
#include <string>

#include "core/ArchiverConfig.h"
#include "report/StatusReport.h"

namespace mirabel {

// How many folders are measured at most; below it every folder is.
inline constexpr std::size_t kBacklogSampleFolders = 400;

// Counts and sizes the waiting studies; unknownBecause says why when the image database cannot
// be read (connection values missing, archive column refused or not there yet, a failed read).
// With CountOnly no folder is measured and bytes stay 0 (the metrics after a run).
enum class BacklogSizes { Measured, CountOnly };
BacklogFigures MeasureBacklog(const ArchiverConfig& config,
                              BacklogSizes sizes = BacklogSizes::Measured);

}  // namespace mirabel
