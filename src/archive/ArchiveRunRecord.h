#pragma once
// What an archive run leaves in the run history: how many of the studies it was to take were
// archived, failed or never tried, their bytes, and the failed ones with their reason.
#include <cstddef>
#include <string>

#include "archive/RunContext.h"
#include "catalog/RunHistory.h"
#include "core/ArchiverConfig.h"

namespace mirabel {

// What the run's loop knows when it ends.
struct ArchiveRunTally {
    std::string started;
    std::string ended;
    std::size_t attempted = 0;     // studies the loop took up, the last one possibly unfinished
    bool destinationFull = false;  // the run ended at the last study attempted
};

// The record of a run over run.studies; bytes are the local folder sizes of the studies
// archived. Exit status 0 when every study the run was to take was archived, else 1.
RunRecord ArchiveRunRecord(const RunContext& run, const ArchiverConfig& config,
                           const ArchiveRunTally& tally);

}  // namespace mirabel
