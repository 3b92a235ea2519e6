#pragma once
// A restore as the program starts it, from the window or the command line: as the one run of the
// start directory, with the hold the current destination's settings give.
#include <optional>
#include <string>
#include <vector>

#include "app/ArchiverCore.h"
#include "restore/RestoreRun.h"

namespace mirabel {

// Restores the studies (RestoreStudies) while holding the start directory's run lock. nullopt,
// with refusal saying why, when another run, pass or restore holds it. Throws CatalogFailure
// when the catalog cannot be opened.
std::optional<RestoreTally> RestoreExclusively(ArchiverCore& core,
                                               const std::vector<std::string>& examIds,
                                               const RestoreProgress& progress,
                                               std::string& refusal);

}  // namespace mirabel
