#include "archive/StudyTransfer.h"

#include <exception>
#include <optional>

#include "archive/ArchiveWriteBack.h"
#include "archive/FtpStudyUpload.h"
#include "archive/LocalStudyCopy.h"
#include "archive/MediaLabel.h"
#include "archive/ServerTableTransfer.h"
#include "archive/StudyFileLoop.h"
#include "archive/StudyPaths.h"
#include "archive/StudyTransferPlan.h"
#include "core/Text.h"
#include "log/Logs.h"

namespace mirabel {

namespace {

// Longest exception text written to the error log.
constexpr std::size_t kMaxExceptionText = 299;

constexpr const char* kManifestBlocked =
    "exam.ver creation was blocked...bypassing sharing violation\r\n";

std::string StudyName(const StudyRecord& study) {
    return Concat({study.Name(), " on ", study.ExamDate()});
}

// Checks that the study can be sent at all: the outcome when it cannot, nullopt when it can.
std::optional<TransferOutcome> RefuseUnsafeStudy(const ArchiverConfig& config,
                                                 const ArchiveDestination& destination,
                                                 const StudyRecord& study) {
    if (config.m_strImagePath.empty() || study.ImagePath().empty()) return TransferOutcome::Failed;
    if (!LocalStudyDirectory(config.m_strImagePath, study.ImagePath())) {
        ErrorLog(StudyFailureText(study, Concat({"image path ", study.ImagePath(),
                                                 " does not name a folder below the image root"})));
        return TransferOutcome::Failed;
    }
    if (const std::optional<std::filesystem::path> link =
            LinkOnTheWayToStudy(config.m_strImagePath, study.ImagePath())) {
        ErrorLog(
            StudyFailureText(study, Concat({"study folder ", study.ImagePath(),
                                            " is reached through the link ", link->string()})));
        return TransferOutcome::Failed;
    }
    // Exam and patient ids stand unquoted in statements: only numbers may go there. An image
    // server's table data is read by both ids, and is found out before any file is sent.
    const bool server = destination.Kind() == DestinationKind::Server;
    if ((study.m_bUpdateDatabase || server) && !IsNumericExamId(std::string(study.ExamId()))) {
        ErrorLog(StudyFailureText(study, Concat({"exam id ", study.ExamId(), " is not a number"})));
        return TransferOutcome::Failed;
    }
    if (server && !IsNumericExamId(std::string(study.PatientId()))) {
        ErrorLog(StudyFailureText(study,
                                  Concat({"patient id ", study.PatientId(), " is not a number"})));
        return TransferOutcome::Failed;
    }
    return std::nullopt;
}

TransferOutcome SendStudy(const RunControl& control, const ArchiverConfig& config,
                          const ArchiveDestination& destination, StudyRecord& study,
                          const StudyTransferPlan& plan, MediaBudget& budget,
                          MediumDicomDir& dicomDir, CopiedFiles& copied) {
    if (destination.Kind() == DestinationKind::Ftp)
        return UploadStudyToFtp(control, destination, study, plan, copied);
    if (destination.Kind() == DestinationKind::Server) {
        // The rows go only after every file arrived: the server must find the images its
        // rows point at.
        const TransferOutcome uploaded =
            UploadStudyToFtp(control, destination, study, plan, copied);
        if (uploaded != TransferOutcome::Archived) return uploaded;
        return SendStudyTableData(control, config, destination, study, plan.destinationDir);
    }
    return CopyStudyToFolder(control, destination, study, plan, budget, dicomDir, copied);
}

// A folder or medium without a root would receive the study (and a label file) wherever the
// empty path happens to point.
bool HasRoot(const ArchiveDestination& destination, const StudyRecord& study) {
    if (IsReachedByFtp(destination.Kind()) || !destination.m_strRootPath.empty()) return true;
    ErrorLog(StudyFailureText(study, "destination " + destination.m_strId + " has no root path"));
    return false;
}

// The study's checks and its folder's listing; nullopt (the error log says why) when it fails.
std::optional<StudyTransferPlan> CheckedPlan(const ArchiverConfig& config,
                                             const ArchiveDestination& destination,
                                             const StudyRecord& study) {
    if (RefuseUnsafeStudy(config, destination, study)) return std::nullopt;
    std::optional<StudyTransferPlan> plan = PlanStudyTransfer(
        *LocalStudyDirectory(config.m_strImagePath, study.ImagePath()),
        DestinationStudyDirectory(destination, study.ImagePath()), std::string(study.ExamId()));
    if (!plan) ErrorLog(StudyFailureText(study, "study directory does not exist"));
    return plan;
}

TransferOutcome TransferStudy(const RunControl& control, const ArchiverConfig& config,
                              ArchiveDestination& destination, StudyRecord& study,
                              MediaBudget& budget, MediumDicomDir& dicomDir) {
    if (!HasRoot(destination, study)) return TransferOutcome::Failed;
    if (destination.Kind() == DestinationKind::Removable) {
        destination.m_strCurrentLabel = GetMediaLabel(destination);
        if (destination.m_strCurrentLabel.empty()) return TransferOutcome::Failed;
    }
    DebugLog("Archiving study for " + StudyName(study));
    const std::optional<StudyTransferPlan> plan = CheckedPlan(config, destination, study);
    if (!plan) return TransferOutcome::Failed;
    if (!WriteManifest(*plan)) {
        ActivityLog(kManifestBlocked);
        return TransferOutcome::Failed;
    }
    CopiedFiles copied;
    if (const TransferOutcome sent =
            SendStudy(control, config, destination, study, *plan, budget, dicomDir, copied);
        sent != TransferOutcome::Archived)
        return sent;
    study.archivedBytes = plan->studyBytes;

    // The catalog before the row: a study whose row says where it went always has its copy's
    // checksums recorded.
    const std::string archiveValue = ArchiveLocationValue(destination, plan->destinationDir);
    if (!RecordCopyInCatalog(destination, study, archiveValue, copied.Files()))
        return TransferOutcome::Failed;
    if (!study.m_bUpdateDatabase) return TransferOutcome::Archived;
    if (!RecordArchiveLocation(config, std::string(study.ExamId()), archiveValue))
        return TransferOutcome::Failed;
    ActivityLog("Study for " + StudyName(study) + " has been archived");
    return TransferOutcome::Archived;
}

}  // namespace

std::optional<StudyTransferPlan> PlanArchiveOfStudy(const ArchiverConfig& config,
                                                    const ArchiveDestination& destination,
                                                    const StudyRecord& study) {
    if (!HasRoot(destination, study)) return std::nullopt;
    return CheckedPlan(config, destination, study);
}

TransferOutcome ArchiveStudy(const RunControl& control, const ArchiverConfig& config,
                             ArchiveDestination& destination, StudyRecord& study,
                             MediaBudget& remainingMediaBytes, MediumDicomDir& dicomDir) {
    try {
        return TransferStudy(control, config, destination, study, remainingMediaBytes, dicomDir);
    } catch (const std::exception& e) {
        ErrorLog(std::string(e.what()).substr(0, kMaxExceptionText));
        return TransferOutcome::Failed;
    }
}

TransferOutcome ArchiveStudy(const RunControl& control, const ArchiverConfig& config,
                             ArchiveDestination& destination, StudyRecord& study,
                             MediaBudget& remainingMediaBytes) {
    MediumDicomDir dicomDir;
    return ArchiveStudy(control, config, destination, study, remainingMediaBytes, dicomDir);
}

}  // namespace mirabel
