#pragma once
// The first step of every removal pass: the studies whose removal the journal still holds (a pass
// that crashed, or whose last step failed) are finished. Their remaining files go, their row
// becomes "Archive", and they move from the journal to the register.
#include <string>

#include "archive/ExamRowWriter.h"
#include "catalog/RemovalJournal.h"
#include "platform/WorkerThreads.h"

namespace mirabel {

// True when every study of the journal was finished. A study that cannot be finished stays in
// the journal with an error-log line naming it; when its row could not be written, the pass
// must stop and databaseFailure says why.
// Only folders below the image root are touched, and only names directly inside them; a row is
// written only while it still holds the archive value the copy was checked against.
bool FinishJournaledStudies(RemovalJournal& journal, ExamRowWriter& rows, WorkerThreads& workers,
                            const std::string& imageRoot, const std::string& archiveColumn,
                            std::string& databaseFailure);

}  // namespace mirabel
