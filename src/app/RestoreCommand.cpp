#include "app/RestoreCommand.h"

#include "app/RunEnd.h"
#include "app/WindowRun.h"

namespace mirabel {

namespace {
constexpr const char* kDeleteSection = "Delete";
}

std::optional<RestoreTally> RestoreExclusively(ArchiverCore& core,
                                               const std::vector<std::string>& examIds,
                                               const RestoreProgress& progress,
                                               std::string& refusal) {
    const std::optional<RunMarker> run = core.BeginRun(refusal);
    if (!run) return std::nullopt;
    const int holdDays = RestoreHoldDays(
        core.GetSetting(kDeleteSection, kRestoreHoldDaysKey, kDefaultRestoreHoldDays));
    RestoreTally tally =
        RestoreStudies(WindowRunControl(), core.Config(), holdDays, examIds, progress);
    RunEnded(core);
    return tally;
}

}  // namespace mirabel
