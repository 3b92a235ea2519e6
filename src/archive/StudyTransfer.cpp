#include "archive/StudyTransfer.h"

#include <exception>
#include <optional>

#include "archive/ArchiveWriteBack.h"
#include "archive/FtpStudyUpload.h"
#include "archive/LocalStudyCopy.h"
#include "archive/MediaLabel.h"
#include "archive/StudyFileLoop.h"
#include "archive/StudyPaths.h"
#include "archive/StudyTransferPlan.h"
#include "log/Logs.h"

namespace mirabel {

namespace {

// Longest exception text written to the error log.
constexpr std::size_t kMaxExceptionText = 299;

constexpr const char* kManifestBlocked =
    "exam.ver creation was blocked...bypassing sharing violation\r\n";

std::string StudyName(const StudyRecord& study) {
    return study.m_strName + " on " + study.m_strExamDate;
}

// Checks that the study can be sent at all; -1 or -2 when not, 0 when it can.
int RefuseUnsafeStudy(const ArchiverConfig& config, const ArchiveDestination& destination,
                      const StudyRecord& study) {
    if (config.m_strImagePath.empty() || study.m_strImagePath.empty()) return kStudyFailed;
    if (!LocalStudyDirectory(config.m_strImagePath, study.m_strImagePath)) {
        ErrorLog(StudyFailureText(study, "image path " + study.m_strImagePath +
                                             " does not name a folder below the image root"));
        return kStudyFailed;
    }
    if (const std::optional<std::filesystem::path> link =
            LinkOnTheWayToStudy(config.m_strImagePath, study.m_strImagePath)) {
        ErrorLog(StudyFailureText(study, "study folder " + study.m_strImagePath +
                                             " is reached through the link " + link->string()));
        return kStudyFailed;
    }
    if (study.m_bUpdateDatabase && !IsNumericExamId(study.m_strExamId)) {
        ErrorLog(StudyFailureText(study, "exam id " + study.m_strExamId + " is not a number"));
        return kStudyFailed;
    }
    // Files sent to an image server without their table data would lie there unknown to it.
    if (destination.m_strType == kServerType) {
        DebugLog("Table data transfer to an image server is not available yet");
        return kDestinationFull;
    }
    return 0;
}

int SendStudy(const ArchiveDestination& destination, const StudyRecord& study,
              const StudyTransferPlan& plan, MediaBudget& budget) {
    if (destination.m_strType == kFtpType) return UploadStudyToFtp(destination, study, plan);
    return CopyStudyToFolder(destination, study, plan, budget);
}

// A folder or medium without a root would receive the study (and a label file) wherever the
// empty path happens to point.
bool HasRoot(const ArchiveDestination& destination, const StudyRecord& study) {
    const bool local = destination.m_strType != kFtpType && destination.m_strType != kServerType;
    if (!local || !destination.m_strRootPath.empty()) return true;
    ErrorLog(StudyFailureText(study, "destination " + destination.m_strId + " has no root path"));
    return false;
}

int TransferStudy(const ArchiverConfig& config, ArchiveDestination& destination, StudyRecord& study,
                  MediaBudget& budget) {
    if (!HasRoot(destination, study)) return kStudyFailed;
    if (destination.m_strType == kRemovableType) {
        destination.m_strCurrentLabel = GetMediaLabel(destination);
        if (destination.m_strCurrentLabel.empty()) return kStudyFailed;
    }
    DebugLog("Archiving study for " + StudyName(study));
    if (const int refused = RefuseUnsafeStudy(config, destination, study)) return refused;

    const std::optional<StudyTransferPlan> plan = PlanStudyTransfer(
        *LocalStudyDirectory(config.m_strImagePath, study.m_strImagePath),
        DestinationStudyDirectory(destination, study.m_strImagePath), study.m_strExamId);
    if (!plan) {
        ErrorLog(StudyFailureText(study, "study directory does not exist"));
        return kStudyFailed;
    }
    if (!WriteManifest(*plan)) {
        ActivityLog(kManifestBlocked);
        return kStudyFailed;
    }
    if (const int sent = SendStudy(destination, study, *plan, budget); sent != kStudyArchived)
        return sent;

    if (!study.m_bUpdateDatabase) return kStudyArchived;
    if (!RecordArchiveLocation(config, study.m_strExamId,
                               ArchiveLocationValue(destination, plan->destinationDir)))
        return kStudyFailed;
    ActivityLog("Study for " + StudyName(study) + " has been archived");
    return kStudyArchived;
}

}  // namespace

int ArchiveStudy(const ArchiverConfig& config, ArchiveDestination& destination, StudyRecord& study,
                 MediaBudget& remainingMediaBytes) {
    try {
        return TransferStudy(config, destination, study, remainingMediaBytes);
    } catch (const std::exception& e) {
        ErrorLog(std::string(e.what()).substr(0, kMaxExceptionText));
        return kStudyFailed;
    }
}

}  // namespace mirabel
