#pragma once
// A restore: the chosen removed studies brought back one after the other under the progress
// window, each study on its own (one that cannot come back does not stop the others), the whole
// recorded in the run history. The caller holds the start directory's run lock.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/ArchiverConfig.h"

#include "archive/RunState.h"

namespace mirabel {

// How long a restored study is held back from the removal rules: setting of section "Delete".
inline constexpr const char* kRestoreHoldDaysKey = "Restore Hold Days";
inline constexpr const char* kDefaultRestoreHoldDays = "30";

// The hold in days the setting's text gives: a whole number from 0 to 36500, blanks around it
// allowed. Any other text gives the default (and an error-log line): a hold too long keeps a
// study on the disk a while, one too short could remove it again at once.
int RestoreHoldDays(const std::string& text);

struct RestoreTally {
    int restored = 0;
    int failed = 0;
    std::uint64_t bytes = 0;  // written into the image store
    bool stopped = false;     // Cancel: the studies after it were not tried

    bool AllRestored(std::size_t asked) const {
        return !stopped && restored == static_cast<int>(asked);
    }
};

// One line of progress for the person watching ("Restored 2 of 5: Smith, Ann ...").
using RestoreProgress = std::function<void(const std::string& line)>;

// Restores the studies in the order given. Each restored study is logged in the activity log,
// each that is not in the error log with the reason (naming the file at fault); "Restore
// started" and "Restore finished" frame them. Cancel in the progress window stops after the study
// in hand. Throws CatalogFailure when the catalog cannot be opened (nothing was restored) or
// std::logic_error when another operation shows its progress window.
RestoreTally RestoreStudies(RunControl& control, const ArchiverConfig& config, int holdDays,
                            const std::vector<std::string>& examIds,
                            const RestoreProgress& progress);

}  // namespace mirabel
