#pragma once
// The check of a study's archived copy before its local files go. Every study needs evidence
// that its copy holds each file that is to go (CopyEvidence): in a folder, on a medium that the
// operator inserts, or on a server. A copy on removable media is first announced by the
// verification question, whose Yes also compares every file's bytes; "VerifyFolderCopies" does
// the same for folder copies.
#include <filesystem>
#include <string>
#include <vector>

#include "removal/CopyEvidence.h"
#include "removal/ProblemDecision.h"

namespace mirabel {

enum class CopyCheckResult {
    Delete,      // go on with the deletion
    LeaveStudy,  // leave this study untouched and go on with the next
    StopPass,    // stop the whole pass
};

struct CopyCheckOptions {
    bool isTemp = false;              // a temporary study's medium is not asked about
    bool verifyFolderCopies = false;  // "VerifyFolderCopies"
};

// "Corvana needs to verify that the studies you are about to delete were written to the media
// correctly. ..." with the label.
std::string VerifyQuestionText(const std::string& label);

// The verification question for a study on removable media, before anything else is done for
// it (Cancel stops the pass; No stops the byte comparison for the rest of the list, not the
// check of names and sizes). compareBytes tells whether this study's copy is compared byte for
// byte. Delete for every other study.
CopyCheckResult AskAboutMediumCopy(const StudyRecord& study, DeletionFlags& flags,
                                   const CopyCheckOptions& options, bool& compareBytes);

// Looks for the evidence. The archive value must name the study's own folder on a destination of
// the list (for a folder or server: the destination's root, "images" and the study's image path,
// as the archive run writes it); `probe` is a file just made in the study folder, which no copy
// may show. A copy on a medium that does not match is reported to the operator
// and stops the pass; a medium the operator does not insert, a destination no longer in the
// list, a copy that cannot be reached or is the original leave the study, with an error-log
// line. A file the copy lacks is never deleted: unless a standing answer applies, the operator
// is asked (No, No To All or Cancel only) and the study is left.
CopyCheckResult CheckCopyBeforeDeletion(const StudyRecord& study,
                                        const std::filesystem::path& studyDir,
                                        const std::string& imageRoot,
                                        const std::vector<FileToGo>& files, DeletionFlags& flags,
                                        const CopyCheckOptions& options, bool compareMediumBytes,
                                        const std::string& probe, Evidence& evidence);

}  // namespace mirabel
