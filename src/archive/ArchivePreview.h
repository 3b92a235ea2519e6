#pragma once
// What an archive run would do, found by the run's own checks and listings with nothing written
// (a dry run): the destination, and each study the run would take with its files and bytes, or
// why it would fail before its first file.
#include <optional>
#include <string>
#include <vector>

#include "archive/RunContext.h"
#include "archive/StudyTransferPlan.h"
#include "core/ArchiverConfig.h"

namespace mirabel {

struct StudyArchivePreview {
    std::string examId;
    std::string name;
    std::string examDate;
    std::optional<StudyTransferPlan> plan;  // none when the study would fail
    std::string why;                        // then why, in the error log's words
};

struct ArchivePreview {
    std::string destination;  // id and where its copies go
    std::size_t waiting = 0;  // the studies listed; the run takes `studies` of them
    std::vector<StudyArchivePreview> studies;

    bool AllWouldGo() const;
};

// The studies of run.studies that the run would take (StudiesToAttempt), each checked and
// listed as its transfer would. Writes nothing and logs nothing.
ArchivePreview PreviewArchiveRun(const RunContext& run, const ArchiverConfig& config);

// The preview as lines: the destination, each study with its files (name and size), totals.
std::string ArchivePreviewText(const ArchivePreview& preview);

}  // namespace mirabel
