#pragma once
// The unattended removal pass without a window: the current destination's stored rules select
// the candidates, and the selected ones are deleted at once, as one run of the start directory.
#include <string>

#include "removal/DeletionPreview.h"
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

// The same pass as a dry run: the same selection, every selected study looked at as the pass
// would (DeletionOptions::dryRun), and nothing changed; the start directory's run is not taken,
// so a dry run may look while another run works. The result the real pass would have, as far as
// it can be known without deleting (a file that cannot be removed or a row that cannot be
// written are found only by trying; the journal's studies are listed, not finished).
UnattendedRemovalResult PreviewUnattendedRemoval(RemovalHost& host, DeletionPreview& preview,
                                                 std::string& refusal);

}  // namespace mirabel
