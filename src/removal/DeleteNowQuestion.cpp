#include "removal/DeleteNowQuestion.h"

#include "core/Operator.h"
#include "removal/SizeRule.h"

namespace mirabel {

std::string DeleteNowQuestion(std::size_t studies, std::uint64_t bytes) {
    return "Delete the local images of " + std::to_string(studies) + " studies (" +
           GigabytesText(bytes, 1) + " GB)?";
}

bool ConfirmDeleteNow(const ArchiverConfig& config, const DeletionCandidates& candidates,
                      const std::vector<CandidateKey>& highlighted) {
    const std::vector<const Candidate*> studies = CandidatesOf(candidates, highlighted);
    std::uint64_t bytes = 0;
    for (const Candidate* study : studies) bytes += CandidateBytes(config, study->ImagePath());
    return TheOperator().MessageBox(DeleteNowQuestion(studies.size(), bytes), Buttons::YesNo) ==
           Answer::Yes;
}

}  // namespace mirabel
