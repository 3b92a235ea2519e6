#pragma once
// What one archive run works on, handed in by whoever starts it: the studies, where they go,
// and the progress window and stop flag it shares with its window. The run reads nothing else
// of the process; the main window fills it from its own state, tests and the headless mode
// from theirs.
#include "archive/RunState.h"
#include "config/ArchiveDestination.h"
#include "db/StudyRecord.h"

namespace mirabel {

struct RunContext {
    StudyList& studies;               // in the order they are archived; archived ones flagged
    ArchiveDestination* destination;  // null when no destination is selected
    RunControl& control;
};

}  // namespace mirabel
