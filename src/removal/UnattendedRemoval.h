#pragma once
// The unattended removal pass without a window: the current destination's stored rules select
// the candidates, and the selected ones are deleted at once, as one run of the start directory.
#include <string>

#include "removal/RemovalHost.h"

namespace mirabel {

enum class UnattendedRemovalResult {
    AllDeleted,       // every selected study was deleted, or none was selected
    SomeLeft,         // a selected study was left in place, or the pass stopped
    NotStarted,       // another run held the start directory (refusal says why)
    SelectionFailed,  // a rule value was refused or the candidates could not be read; nothing
                      // was deleted (refusal says why)
    Braked,           // the rules selected too many studies; nothing was deleted (refusal says why)
    DatabaseUnavailable,  // the image database or the catalog could not be written: the pass
                          // stopped before the next study's files (refusal says why)
};

UnattendedRemovalResult RunUnattendedRemoval(RemovalHost& host, std::string& refusal);

}  // namespace mirabel
