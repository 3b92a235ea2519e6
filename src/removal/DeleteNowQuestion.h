#pragma once
// The one question before "Delete Now" deletes what the operator highlighted: how many studies
// and how much of the image store they take up. The unattended pass deletes without asking.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ArchiverConfig.h"
#include "removal/CandidateLines.h"

namespace mirabel {

// "Delete the local images of N studies (X GB)?", X in GB of 2^30 bytes with one decimal.
std::string DeleteNowQuestion(std::size_t studies, std::uint64_t bytes);

// Asks the operator (Yes/No) about the highlighted candidates still in their lists, sized by
// the files their "cv.dir" lists; true on Yes.
bool ConfirmDeleteNow(const ArchiverConfig& config, const DeletionCandidates& candidates,
                      const std::vector<CandidateKey>& highlighted);

}  // namespace mirabel
