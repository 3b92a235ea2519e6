#include "removal/RemovalBrake.h"

#include <cstdint>

#include "log/Logs.h"
#include "removal/DeletionCandidates.h"

namespace mirabel {

std::optional<std::string> ApplyRemovalBrake(DeletionCandidates& lists, int maxPercent) {
    const std::int64_t selected = CountSelected(lists);
    const std::int64_t candidates =
        static_cast<std::int64_t>(lists.server.size() + lists.temp.size());
    if (selected * 100 <= candidates * maxPercent) return std::nullopt;
    for (CandidateList* list : {&lists.server, &lists.temp})
        for (Candidate& record : *list) record.m_bSelected = 0;
    const std::string reason = "Auto-Delete: the rules select " + std::to_string(selected) +
                               " of " + std::to_string(candidates) +
                               " archived studies, more than \"Max Delete Percent\" (" +
                               std::to_string(maxPercent) + ") allows; no study is selected";
    ErrorLog(reason);
    return reason;
}

}  // namespace mirabel
