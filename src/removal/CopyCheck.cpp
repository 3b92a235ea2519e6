#include "removal/CopyCheck.h"

#include "archive/CopyVerification.h"
#include "archive/StudyPaths.h"
#include "core/Operator.h"
#include "core/Text.h"
#include "log/Logs.h"
#include "removal/MediaSearch.h"

namespace mirabel {

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::string CannotDeleteText(const StudyRecord& study) {
    return Concat({"Cannot delete study for ", study.FirstName(), " ", study.LastName(), " on ",
                   study.ExamDate()});
}

// The copy on the medium at drive: drive + "images" + the study's image path.
bool MediumCopyMatches(const StudyRecord& study, const std::filesystem::path& studyDir,
                       const std::string& drive) {
    const std::optional<std::filesystem::path> copy =
        LocalStudyDirectory(drive + "/images", study.ImagePath());
    return copy && CompareDirectories(studyDir.string(), copy->string());
}

CopyCheckResult CheckMediumCopy(const StudyRecord& study, const std::filesystem::path& studyDir,
                                const std::string& label, DeletionFlags& flags) {
    switch (TheOperator().AskToVerifyCopy(VerifyQuestionText(label))) {
        case Answer::Cancel:
            return CopyCheckResult::StopPass;
        case Answer::No:
            flags.noVerify = 1;
            return CopyCheckResult::Delete;
        case Answer::Yes:
        case Answer::Ok:
            break;
    }
    const std::string drive = FindMediaByLabel(label);
    if (drive.empty()) return CopyCheckResult::LeaveStudy;
    if (MediumCopyMatches(study, studyDir, drive)) return CopyCheckResult::Delete;
    TheOperator().MessageBox(CannotDeleteText(study) +
                             "\r\nThe media is either damaged or doesn't contain the correct "
                             "study");
    return CopyCheckResult::StopPass;
}

CopyCheckResult CheckFolderCopy(const StudyRecord& study, const std::filesystem::path& studyDir) {
    const std::optional<std::string> folder = FolderCopyOf(std::string(study.ArchiveValue()));
    if (folder && CompareDirectories(studyDir.string(), *folder)) return CopyCheckResult::Delete;
    ErrorLog(CannotDeleteText(study) + " - the copy in " + folder.value_or("(none)") +
             " is missing or does not match");
    return CopyCheckResult::LeaveStudy;
}

}  // namespace

std::optional<std::string> MediaLabelOf(const std::string& archiveValue) {
    if (archiveValue.size() < 4) return std::nullopt;
    const std::string rest = archiveValue.substr(4);
    const std::size_t first = rest.find(':');
    if (first == std::string::npos) return std::nullopt;
    const std::size_t next = rest.find(':', first + 1);
    return rest.substr(first + 1, next == std::string::npos ? std::string::npos : next - first - 1);
}

std::optional<std::string> FolderCopyOf(const std::string& archiveValue) {
    if (!StartsWith(archiveValue, "NFS:")) return std::nullopt;
    const std::size_t colon = archiveValue.find(':', 4);
    if (colon == std::string::npos || colon + 1 == archiveValue.size()) return std::nullopt;
    return archiveValue.substr(colon + 1);
}

std::string VerifyQuestionText(const std::string& label) {
    return "Corvana needs to verify that the studies you are about to delete were written to the "
           "media correctly.\r\nPlease enter disk labeled - " +
           label +
           "\r\nClick yes if you wish to verify that the study was written correctly\r\nClick no "
           "to delete without verifying study";
}

CopyCheckResult CheckCopyBeforeDeletion(const StudyRecord& study,
                                        const std::filesystem::path& studyDir, DeletionFlags& flags,
                                        const CopyCheckOptions& options) {
    const std::string value(study.ArchiveValue());
    if (!flags.noVerify && !options.isTemp && StartsWith(value, "REM"))
        if (const std::optional<std::string> label = MediaLabelOf(value))
            return CheckMediumCopy(study, studyDir, *label, flags);
    if (options.verifyFolderCopies && StartsWith(value, "NFS:"))
        return CheckFolderCopy(study, studyDir);
    return CopyCheckResult::Delete;
}

}  // namespace mirabel
