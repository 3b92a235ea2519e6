#include "archive/ArchiveRun.h"

#include <cstdio>
#include <string>

#include "archive/ArchiveRunRecord.h"
#include "archive/MediaBudget.h"
#include "archive/RunState.h"
#include "archive/StudyFileLoop.h"
#include "archive/StudyTransfer.h"
#include "catalog/CatalogTime.h"
#include "catalog/RunRecording.h"
#include "core/EnvironmentDuration.h"
#include "config/ArchiveDestination.h"
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

// Tells why the run ends at a study the destination could not take.
void ReportDestinationFull(const ArchiveDestination& destination) {
    switch (destination.Kind()) {
        case DestinationKind::Nfs:
            LogMilestone(kNfsFull);
            TheOperator().MessageBox(kNfsFull);
            break;
        case DestinationKind::Server:
            LogMilestone(kServerRefused);
            TheOperator().MessageBox(kServerRefused);
            break;
        case DestinationKind::Ftp:
            break;
        case DestinationKind::Removable:
        case DestinationKind::Unknown:
            ShowMediaMessage(destination);
            break;
    }
}

// Up to three attempts, a pause before each retry; Cancel and a full destination end at once.
TransferOutcome ArchiveWithRetries(const RunControl& control, const ArchiverConfig& config,
                                   ArchiveDestination& destination, StudyRecord& study,
                                   MediaBudget& budget, MediumDicomDir& dicomDir) {
    TransferOutcome result = ArchiveStudy(control, config, destination, study, budget, dicomDir);
    for (int attempt = 1; attempt < kAttemptsPerStudy; ++attempt) {
        if (result != TransferOutcome::Failed || control.StopRequested()) break;
        WaitPumping(control, RetryPause());
        if (control.StopRequested()) {
            LogStoppedByUser();
            break;
        }
        result = ArchiveStudy(control, config, destination, study, budget, dicomDir);
    }
    return result;
}

// The studies of the run, one after the other. False when the run ended early (a full
// destination or Cancel), having told the operator.
bool ArchiveStudies(const RunContext& run, const ArchiverConfig& config,
                    ArchiveDestination& destination, ArchiveRunTally& tally) {
    MediaBudget budget = MediaBudget::FromMediaSize(destination.m_strMediaSize);
    MediumDicomDir dicomDir;  // read at the first study that lists files in it
    const std::size_t n = StudiesToAttempt(run.studies, config);
    for (std::size_t i = 0; i < n; ++i) {
        ShowStudyProgress(run.control, static_cast<int>(i + 1), static_cast<int>(n));
        StudyRecord& study = *run.studies[i];
        tally.attempted = i + 1;
        const TransferOutcome result =
            ArchiveWithRetries(run.control, config, destination, study, budget, dicomDir);
        if (result == TransferOutcome::Archived) study.m_bArchived = 1;
        if (result == TransferOutcome::DestinationFullOrRefused) {
            tally.destinationFull = true;
            ReportDestinationFull(destination);
            return false;
        }
        if (run.control.StopRequested()) {
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

void RunArchive(const RunContext& run, const ArchiverConfig& config) {
    ArchiveDestination* destination = run.destination;
    if (!destination) {
        TheOperator().MessageBox(kNoDestinationSelected);
        return;
    }
    const bool removable = destination->Kind() == DestinationKind::Removable;
    if (removable) TheOperator().MessageBox(kPrepareMedia);
    LogMilestone("Archive started");
    ArchiveRunTally tally;
    tally.started = CatalogTimeNow();
    bool whole = false;
    {
        ProgressScope progress(run.control);
        whole = ArchiveStudies(run, config, *destination, tally);
        tally.ended = CatalogTimeNow();
        if (whole && removable) ShowMediaMessage(*destination);
    }
    RecordRunQuietly(ArchiveRunRecord(run, config, tally));
    if (whole) LogMilestone("Archive finished");
}

}  // namespace mirabel
