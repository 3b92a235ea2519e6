#include "archive/ArchiveRun.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "archive/ArchiveRunRecord.h"
#include "archive/MediaBudget.h"
#include "archive/RunState.h"
#include "archive/StudyFileLoop.h"
#include "archive/StudyPaths.h"
#include "archive/StudyTransfer.h"
#include "catalog/CatalogTime.h"
#include "catalog/RunRecording.h"
#include "core/EnvironmentDuration.h"
#include "config/ArchiveDestination.h"
#include "core/Text.h"
#include "db/StudyRecord.h"
#include "dicomdir/MediumDicomDir.h"
#include "log/Logs.h"

namespace mirabel {

namespace {

constexpr int kAttemptsPerStudy = 3;
constexpr std::chrono::milliseconds kDefaultRetryPause{300000};

constexpr const char* kPrepareMedia =
    "Please prepare media for writing if it has not already been prepared";
constexpr const char* kNfsFull = "Error: NFS server does not have enough space to complete archive";
constexpr const char* kServerRefused = "Error:  Problem writing table data to Corvana server";

void LogMilestone(const std::string& text) {
    ActivityLog(text);
    DebugLog(text);
}

void ShowMediaMessage(const ArchiveDestination& destination) {
    const std::string& media = destination.m_strMediaType;
    TheOperator().MessageBox("Finished copying studies to " + media + "!\nPlease remove " + media +
                             " and label as " + destination.m_strCurrentLabel + "!");
}

// Tells why the run ends at a study the destination could not take. A scheduled run has nobody
// to click a box away, and the box would hold the schedule: the activity log says it instead.
// A medium's message stays, since only a person can change the medium.
void ReportDestinationFull(const RunControl& control, const ArchiveDestination& destination) {
    const auto tell = [&control](const char* text) {
        LogMilestone(text);
        if (!control.Unattended()) TheOperator().MessageBox(text);
    };
    switch (destination.Kind()) {
        case DestinationKind::Nfs:
            tell(kNfsFull);
            break;
        case DestinationKind::Server:
            tell(kServerRefused);
            break;
        case DestinationKind::Ftp:
            break;
        case DestinationKind::Removable:
        case DestinationKind::Unknown:
            ShowMediaMessage(destination);
            break;
    }
}

std::string StudyLabel(const StudyRecord& study) {
    return Concat({study.Name(), " ", study.ExamDate()});
}

// "Waiting to retry <study> (attempt 2 of 3) in m:ss".
std::string RetryWaitText(const StudyRecord& study, int attempt, long long secondsLeft) {
    char clock[32];
    std::snprintf(clock, sizeof clock, "%lld:%02lld", secondsLeft / 60, secondsLeft % 60);
    return "Waiting to retry " + StudyLabel(study) + " (attempt " + std::to_string(attempt) +
           " of " + std::to_string(kAttemptsPerStudy) + ") in " + clock;
}

// A study whose folder is gone says so while it waits, instead of the file count of its last
// attempt.
bool StudyFolderIsGone(const ArchiverConfig& config, const StudyRecord& study) {
    const std::optional<std::filesystem::path> dir =
        LocalStudyDirectory(config.m_strImagePath, study.ImagePath());
    std::error_code error;
    return dir && !std::filesystem::is_directory(*dir, error);
}

// Up to three attempts, a pause before each retry shown on the progress window; Cancel and a
// full destination end at once.
TransferOutcome ArchiveWithRetries(const RunControl& control, const ArchiverConfig& config,
                                   ArchiveDestination& destination, StudyRecord& study,
                                   MediaBudget& budget, MediumDicomDir& dicomDir) {
    TransferOutcome result = ArchiveStudy(control, config, destination, study, budget, dicomDir);
    for (int attempt = 2; attempt <= kAttemptsPerStudy; ++attempt) {
        if (result != TransferOutcome::Failed || control.StopRequested()) break;
        const std::string why = StudyFolderIsGone(config, study)
                                    ? "\nThe folder of " + StudyLabel(study) + " is gone."
                                    : "";
        WaitPumping(control, RetryPause(), [&](long long secondsLeft) {
            ShowWaitText(control, RetryWaitText(study, attempt, secondsLeft) + why);
        });
        ShowWaitText(control, "");
        if (control.StopRequested()) {
            LogStoppedByUser();
            break;
        }
        result = ArchiveStudy(control, config, destination, study, budget, dicomDir);
    }
    return result;
}

// The studies of the run, one after the other, counted into summary. False when the run ended
// early (a full destination or Cancel), having told the operator.
bool ArchiveStudies(const RunContext& run, const ArchiverConfig& config,
                    ArchiveDestination& destination, RunSummary& summary, ArchiveRunTally& tally) {
    MediaBudget budget = MediaBudget::FromMediaSize(destination.m_strMediaSize);
    MediumDicomDir dicomDir;  // read at the first study that lists files in it
    const std::size_t n = StudiesToAttempt(run.studies, config);
    summary.notReached = static_cast<int>(n);
    for (std::size_t i = 0; i < n; ++i) {
        ShowStudyProgress(run.control, static_cast<int>(i + 1), static_cast<int>(n));
        StudyRecord& study = *run.studies[i];
        tally.attempted = i + 1;
        const TransferOutcome result =
            ArchiveWithRetries(run.control, config, destination, study, budget, dicomDir);
        --summary.notReached;
        if (result == TransferOutcome::Archived) {
            study.m_bArchived = 1;
            ++summary.done;
            summary.bytes += study.archivedBytes;
        } else {
            ++summary.failed;
        }
        if (result == TransferOutcome::DestinationFullOrRefused) {
            summary.stoppedBecause = "the destination cannot take more";
            tally.destinationFull = true;
            ReportDestinationFull(run.control, destination);
            return false;
        }
        if (run.control.StopRequested()) {
            summary.stoppedBecause = run.control.WhyStopped();
            if (destination.Kind() == DestinationKind::Removable) ShowMediaMessage(destination);
            return false;
        }
    }
    return true;
}

}  // namespace

std::size_t StudiesToAttempt(const StudyList& studies, const ArchiverConfig& config) {
    std::size_t n = studies.size();
    if (config.m_bMaxStudies && config.m_nMaxStudies >= 0 &&
        static_cast<std::size_t>(config.m_nMaxStudies) < n)
        n = static_cast<std::size_t>(config.m_nMaxStudies);
    return n;
}

std::chrono::milliseconds RetryPause() {
    return DurationFromEnvironment("MIRABEL_RETRY_PAUSE_MS", kDefaultRetryPause);
}

std::optional<RunSummary> RunArchive(const RunContext& run, const ArchiverConfig& config) {
    ArchiveDestination* destination = run.destination;
    if (!destination) {
        TheOperator().MessageBox(kNoDestinationSelected);
        return std::nullopt;
    }
    const bool removable = destination->Kind() == DestinationKind::Removable;
    if (removable) TheOperator().MessageBox(kPrepareMedia);
    LogMilestone("Archive started");
    RunSummary summary;
    ArchiveRunTally tally;
    tally.started = CatalogTimeNow();
    bool whole = false;
    {
        ProgressScope progress(run.control);
        whole = ArchiveStudies(run, config, *destination, summary, tally);
        tally.ended = CatalogTimeNow();
        if (whole && removable) ShowMediaMessage(*destination);
    }
    RecordRunQuietly(ArchiveRunRecord(run, config, tally));
    if (whole) LogMilestone("Archive finished");
    return summary;
}

}  // namespace mirabel
