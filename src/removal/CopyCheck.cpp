#include "removal/CopyCheck.h"

#include "archive/StudyPaths.h"
#include "core/CCVAException.h"
#include "core/Operator.h"
#include "core/Text.h"
#include "log/Logs.h"
#include "archive/MediaSearch.h"
#include "archive/StudyTransferPlan.h"
#include "removal/ServerCopyCheck.h"

namespace mirabel {

namespace {

std::string CannotDeleteText(const StudyRecord& study) {
    return Concat({"Cannot delete study for ", study.FirstName(), " ", study.LastName(), " on ",
                   study.ExamDate()});
}

CopyCheckResult LeaveWithError(const StudyRecord& study, const std::string& why) {
    ErrorLog(CannotDeleteText(study) + " - " + why);
    return CopyCheckResult::LeaveStudy;
}

// A file missing from the copy: the study stays whatever the answer; Cancel still stops.
CopyCheckResult LeaveLackingStudy(const StudyRecord& study, const Evidence& evidence,
                                  DeletionFlags& flags) {
    ErrorLog(CannotDeleteText(study) + " - " + evidence.why);
    if (DecideProblem(flags, study, evidence.why, ProblemChoice::LeaveOnly) ==
        ProblemOutcome::Cancel)
        throw CCVAException("Cancelled: " + evidence.why);
    return CopyCheckResult::LeaveStudy;
}

CopyCheckResult CheckMediumCopy(const StudyRecord& study, const std::filesystem::path& studyDir,
                                const std::string& imageRoot, const CopyPlace& place,
                                const std::vector<FileToGo>& files, bool compareBytes,
                                const std::string& probe, Evidence& evidence) {
    if (place.label.empty() && place.folder.empty())
        return LeaveWithError(study, "the archive value names no medium");
    const std::string drive = FindMediaByLabel(place.label);
    if (drive.empty()) return CopyCheckResult::LeaveStudy;
    const std::optional<std::filesystem::path> copy =
        LocalStudyDirectory(drive + "/images", study.ImagePath());
    evidence = copy ? CheckFolderCopy(*copy, studyDir, imageRoot, files, compareBytes, probe)
                    : Evidence{EvidenceVerdict::NotReached, "no copy folder on the medium", ""};
    if (evidence.verdict == EvidenceVerdict::Complete) return CopyCheckResult::Delete;
    ErrorLog(CannotDeleteText(study) + " - " + evidence.why);
    TheOperator().MessageBox(CannotDeleteText(study) +
                             "\r\nThe media is either damaged or doesn't contain the correct "
                             "study");
    return CopyCheckResult::StopPass;
}

Evidence LookAtCopy(const CopyPlace& place, const std::filesystem::path& studyDir,
                    const std::string& imageRoot, const std::vector<FileToGo>& files,
                    bool compareBytes, const std::string& probe) {
    if (place.destination->Kind() == DestinationKind::Nfs)
        return CheckFolderCopy(ToNativeSeparators(place.folder), studyDir, imageRoot, files,
                               compareBytes, probe);
    return CheckServerCopy(*place.destination, place.folder, files, probe);
}

// Where the archive run puts the study on the destination, compared without the separators at
// the end; any other folder (another study's copy, a folder above it) proves nothing.
bool NamesStudyFolder(const CopyPlace& place, std::string_view imagePath) {
    auto trimmed = [](std::string path) {
        while (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.pop_back();
        return path;
    };
    return trimmed(place.folder) ==
           trimmed(DestinationStudyDirectory(*place.destination, imagePath));
}

}  // namespace

std::string VerifyQuestionText(const std::string& label) {
    return "Corvana needs to verify that the studies you are about to delete were written to the "
           "media correctly.\r\nPlease enter disk labeled - " +
           label +
           "\r\nClick yes if you wish to verify that the study was written correctly\r\nClick no "
           "to delete without verifying study";
}

CopyCheckResult AskAboutMediumCopy(const StudyRecord& study, DeletionFlags& flags,
                                   const CopyCheckOptions& options, bool& compareBytes) {
    compareBytes = false;
    const std::optional<CopyPlace> place = FindCopyPlace(std::string(study.ArchiveValue()));
    if (!place || place->destination->Kind() != DestinationKind::Removable || flags.noVerify ||
        options.isTemp)
        return CopyCheckResult::Delete;
    switch (TheOperator().AskToVerifyCopy(VerifyQuestionText(place->label))) {
        case Answer::Cancel:
            return CopyCheckResult::StopPass;
        case Answer::No:
            flags.noVerify = 1;
            return CopyCheckResult::Delete;
        case Answer::Yes:
        case Answer::Ok:
            break;
    }
    compareBytes = true;
    return CopyCheckResult::Delete;
}

CopyCheckResult CheckCopyBeforeDeletion(const StudyRecord& study,
                                        const std::filesystem::path& studyDir,
                                        const std::string& imageRoot,
                                        const std::vector<FileToGo>& files, DeletionFlags& flags,
                                        const CopyCheckOptions& options, bool compareMediumBytes,
                                        const std::string& probe, Evidence& evidence) {
    const std::string value(study.ArchiveValue());
    const std::optional<CopyPlace> place = FindCopyPlace(value);
    if (!place)
        return LeaveWithError(study, "the destination of " + value +
                                         " is no longer in archives.p: its copy cannot be checked");
    if (place->destination->Kind() == DestinationKind::Removable)
        return CheckMediumCopy(study, studyDir, imageRoot, *place, files, compareMediumBytes, probe,
                               evidence);
    if (!NamesStudyFolder(*place, study.ImagePath()))
        return LeaveWithError(study, "the archive value " + value +
                                         " does not name this study's folder on " +
                                         place->destination->m_strId);
    evidence = LookAtCopy(*place, studyDir, imageRoot, files, options.verifyFolderCopies, probe);
    switch (evidence.verdict) {
        case EvidenceVerdict::Complete:
            return CopyCheckResult::Delete;
        case EvidenceVerdict::Lacking:
            return LeaveLackingStudy(study, evidence, flags);
        case EvidenceVerdict::Differs:
        case EvidenceVerdict::IsOriginal:
        case EvidenceVerdict::NotReached:
            break;
    }
    return LeaveWithError(study, evidence.why);
}

}  // namespace mirabel
