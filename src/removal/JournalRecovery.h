#pragma once
// The first step of every removal pass: the studies whose removal the journal still holds (a pass
// that crashed, or whose last step failed) are finished. Their remaining files go, their row
// becomes "Archive", and they move from the journal to the register.
#include <string>

#include "archive/ExamRowWriter.h"
#include "catalog/RemovalJournal.h"
#include "platform/WorkerThreads.h"

namespace mirabel {

// True when no study is left in the journal. A removal that had not passed its point of no return
// (no file gone yet, row not written) is undone: its files get their names back and the study
// is checked afresh like any other. One past it is finished: its remaining hidden files go and
// its row becomes "Archive", but only while the row still names the copy that was checked and
// no listed file is still there under its own name. A study that can be neither stays in the
// journal with an error-log line naming it; when its row could not be read or written, the pass
// must stop and databaseFailure says why.
// Only folders below the image root are touched (no "." or ".." anywhere in the way), and only
// names directly inside them; the row is read before any file is touched.
bool FinishJournaledStudies(RemovalJournal& journal, ExamRowWriter& rows, WorkerThreads& workers,
                            const std::string& imageRoot, const std::string& archiveColumn,
                            std::string& databaseFailure);

}  // namespace mirabel
