#pragma once
// Verified study deletion: the selected deletion candidates lose exactly the local files their
// "cv.dir" names, once their archived copy is proved to hold every one of those files, and their
// EXAM row's media type becomes "Archive". The study folder itself and every file the list does
// not name stay. Each study goes as a whole or not at all: its intent is in the removal journal
// before its first file goes, and every pass first finishes what the journal holds.
#include <string>
#include <unordered_map>

#include "archive/RunState.h"
#include "archive/RunSummary.h"
#include "core/ArchiverConfig.h"
#include "removal/DeletionCandidates.h"
#include "removal/DeletionPreview.h"

namespace mirabel {

struct DeletionOptions {
    std::string skip = "FALSE";       // the "Skip" text: "TRUE" suppresses the problem prompt
    bool verifyFolderCopies = false;  // "VerifyFolderCopies"
    // Every selected study looked at as the pass would, its copy's evidence included, and nothing
    // changed: no file, no row, no journal, no log, no run record (DeletionPassResult::preview).
    // A study folder is not written, so a copy is not probed for being the folder itself.
    bool dryRun = false;
};

struct DeletionPassResult {
    // 1 when every selected study was handled (deleted, or left in place); 0 when the pass
    // stopped: Cancel of the verification question or the problem prompt, a copy on a medium
    // that does not match, a study row or the removal journal that could not be written, or
    // Cancel in the progress window after the study that was then completed.
    int result = 1;
    // Why the pass stopped on the image database or the catalog; empty otherwise.
    std::string databaseFailure;
    // A study of the removal journal could be neither finished nor undone (the error log says
    // why): it stays there for a later pass, and the pass does not count as clean.
    bool journalLeft = false;
    // The studies deleted, left and not reached, and the bytes of the files that went, for the
    // caller to report (ReportRunSummary).
    RunSummary summary{"Deletion pass", "deleted"};
    // Of a dry run: what the pass would have done.
    DeletionPreview preview;
    // By exam id, the display names of the studies whose turn came and that were not deleted:
    // the run record names them.
    std::unordered_map<std::string, std::string> studyNames;
};

// The deletion that "Delete Now" starts, without its window: "Delete started", the progress
// window, the studies the journal still holds, the server list and then (unless the pass
// stopped) the temporary list, the deleted studies taken out of both lists, "Delete finished".
// The caller holds the start directory's run. A study is left in place, with an error-log line,
// when its exam id is not numeric, its folder leaves the image root or is reached through a
// link, its list names a file in a sub-folder, its copy lacks a file or cannot be checked, or
// its row changed since it was listed (or its names and exam date, read just before its turn,
// cannot be found); and when a problem is answered No.
// The candidates and the run control are the caller's: the pass shows its progress and takes
// Cancel through the control.
DeletionPassResult RunDeletionPass(RunControl& control, DeletionCandidates& candidates,
                                   const ArchiverConfig& config, const DeletionOptions& options);

}  // namespace mirabel
