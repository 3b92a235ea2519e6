#pragma once
#include "app/CommandLine.h"

namespace mirabel {

// "mirabel --restore EXAM_ID...": brings the removed studies back from their copies, as one run
// of the start directory, with the stored configuration of the current destination. Progress on
// standard output, one error-log line per study that could not come back. A removable medium is
// looked for among the media already mounted (nobody is asked to insert one). 0 when every study
// was restored, 1 when some were not, 2 when it could not start (the reason on standard error: no
// exam id or one that is not a number, the configuration as for --remove-now, another run in
// progress in this directory, the catalog unusable).
int RunRestoreHeadless(const CommandLine& line);

}  // namespace mirabel
