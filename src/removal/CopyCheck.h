#pragma once
// The check of a study's archived copy before its local files go: a copy on removable media,
// with the operator's consent and the medium inserted, and, when "VerifyFolderCopies" is set, a
// copy in a hard-drive or network folder.
#include <filesystem>
#include <optional>
#include <string>

#include "removal/ProblemDecision.h"

namespace mirabel {

enum class CopyCheckResult {
    Delete,      // go on with the deletion
    LeaveStudy,  // leave this study untouched and go on with the next
    StopPass,    // stop the whole pass
};

// The medium label of an archive value "REM:<media type>:<label>:<folder>": the text after the
// first ":" that follows "REM?" up to the next ":" (to the end when there is none); nullopt
// when there is no such ":" (nothing to verify).
std::optional<std::string> MediaLabelOf(const std::string& archiveValue);

// The folder of an archive value "NFS:<label>:<folder>": the text after the first ":" that
// follows "NFS:"; nullopt when the value names none.
std::optional<std::string> FolderCopyOf(const std::string& archiveValue);

// "Corvana needs to verify that the studies you are about to delete were written to the media
// correctly. ..." with the label.
std::string VerifyQuestionText(const std::string& label);

struct CopyCheckOptions {
    bool isTemp = false;              // temporary studies have no archived copy to check
    bool verifyFolderCopies = false;  // "VerifyFolderCopies"
};

// Checks the copy of one selected study whose local folder is studyDir. A removable-media copy
// is checked while the operator answers Yes (No ends the checks for the rest of the list,
// Cancel stops the pass); a medium the operator does not insert leaves the study; a copy that
// does not match is reported to the operator and stops the pass. A folder copy that is missing
// or does not match leaves the study, with an error-log line.
CopyCheckResult CheckCopyBeforeDeletion(const StudyRecord& study,
                                        const std::filesystem::path& studyDir, DeletionFlags& flags,
                                        const CopyCheckOptions& options);

}  // namespace mirabel
