#pragma once
// Verified study deletion: the selected deletion candidates lose exactly the local files their
// "cv.dir" names (after an optional check of their archived copy), and their EXAM row's media
// type becomes "Archive". The study folder itself and every file the list does not name stay.
#include <string>

#include "archive/ExamRowWriter.h"
#include "core/ArchiverConfig.h"
#include "removal/DeletionCandidates.h"

namespace mirabel {

struct DeletionOptions {
    std::string skip = "FALSE";       // the "Skip" text: "TRUE" suppresses the problem prompt
    bool verifyFolderCopies = false;  // "VerifyFolderCopies"
};

// Deletes the selected studies of one list, sorted by archive value first (the list keeps that
// order), counting on from counter towards total on the progress window. 1 when every selected
// study was handled; 0 when the pass stopped: Cancel of the verification question or the
// problem prompt, a copy on a medium that does not match, a file that could not be deleted, a
// database row that could not be set, or Cancel in the progress window after the study that
// was then completed. A study is left untouched when its exam id is not numeric or its image
// path leaves the image root (with an error-log line), when its medium is not inserted, or
// when a problem is answered No. Each study's row is written, and committed, through rows
// after its files are gone and before the next study is touched.
int DeleteSelectedStudies(ExamRowWriter& rows, const ArchiverConfig& config, CandidateList& list,
                          int& counter, int total, const DeletionOptions& options, bool isTemp);

// The deletion that "Delete Now" starts, without its window: "Delete started", the progress
// window, the server list and then (unless the pass stopped) the temporary list, the deleted
// studies taken out of both lists, "Delete finished". The caller holds the start directory's
// run. Returns what the last DeleteSelectedStudies returned.
int RunDeletionPass(const ArchiverConfig& config, const DeletionOptions& options);

}  // namespace mirabel
