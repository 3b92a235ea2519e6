#include "archive/ArchiveRunRecord.h"

#include "archive/ArchiveRun.h"
#include "archive/StudyFiles.h"
#include "archive/StudyPaths.h"

namespace mirabel {

namespace {

constexpr const char* kNotArchived = "not archived after its retries (see mirabelerror.log)";
constexpr const char* kDestinationFull = "the destination could not take it; the run ended here";
constexpr const char* kStopped = "the run was stopped while it was copied";

std::uint64_t FolderBytes(const ArchiverConfig& config, const StudyRecord& study) {
    const auto folder = LocalStudyDirectory(config.m_strImagePath, study.ImagePath());
    if (!folder) return 0;
    const auto files = ListStudyFiles(*folder);
    return files ? TotalSize(*files) : 0;
}

const char* WhyNotArchived(const RunContext& run, const ArchiveRunTally& tally, bool last) {
    if (last && tally.destinationFull) return kDestinationFull;
    if (last && run.control.StopRequested()) return kStopped;
    return kNotArchived;
}

}  // namespace

RunRecord ArchiveRunRecord(const RunContext& run, const ArchiverConfig& config,
                           const ArchiveRunTally& tally) {
    RunRecord record;
    record.kind = kRunArchive;
    record.started = tally.started;
    record.ended = tally.ended;
    if (run.destination) record.destination = run.destination->m_strId;
    const std::size_t toTake = StudiesToAttempt(run.studies, config);
    for (std::size_t i = 0; i < tally.attempted && i < toTake; ++i) {
        const StudyRecord& study = *run.studies[i];
        if (study.m_bArchived) {
            ++record.done;
            record.bytes += FolderBytes(config, study);
            continue;
        }
        ++record.failed;
        record.failures.push_back({std::string(study.ExamId()), std::string(study.Name()),
                                   WhyNotArchived(run, tally, i + 1 == tally.attempted)});
    }
    record.skipped = static_cast<int>(toTake - std::min(tally.attempted, toTake));
    record.exitStatus = record.done == static_cast<int>(toTake) ? 0 : 1;
    return record;
}

}  // namespace mirabel
