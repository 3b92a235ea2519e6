#pragma once
// The archive run: every study of its context (up to the maximum count) to the context's
// destination, with a progress window, two retries of a failed study after
// a pause, an end at the first study the destination cannot take, and, for removable media,
// the messages to prepare and to take out and label the medium.
#include <chrono>
#include <cstddef>
#include <optional>

#include "archive/RunContext.h"
#include "archive/RunSummary.h"
#include "core/ArchiverConfig.h"

namespace mirabel {

inline constexpr const char* kNoDestinationSelected = "No archive destination is selected.";

// Runs one archive of run.studies to run.destination and sets the archived flag of each study
// archived; returns what became of the studies, for the caller to report. Without a
// destination the operator is told, nothing happens and nullopt is returned.
// The progress window is open from start to end; Cancel ends the run after the current file.
std::optional<RunSummary> RunArchive(const RunContext& run, const ArchiverConfig& config);

// How many of the studies a run takes: all of them, or the first m_nMaxStudies when the
// maximum count is on.
std::size_t StudiesToAttempt(const StudyList& studies, const ArchiverConfig& config);

// The pause before a failed study is tried again: five minutes, or MIRABEL_RETRY_PAUSE_MS
// milliseconds when that environment variable holds a number.
std::chrono::milliseconds RetryPause();

}  // namespace mirabel
