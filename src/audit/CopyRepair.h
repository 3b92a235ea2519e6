#pragma once
// Repairing a damaged copy (`mirabel --verify --repair`): while the original is still in the image
// store, the study is copied to the same destination again as the archive run copies it (its row
// is left as it is), and the new copy is read back against the catalog before it counts.
// A copy on removable media is not repaired here: its medium must be in the drive, and the
// archive run writes it again.
#include <functional>
#include <string>

#include "archive/RunState.h"
#include "audit/CopyAudit.h"
#include "core/ArchiverConfig.h"

namespace mirabel {

struct RepairTally {
    int repaired = 0;
    int notRepaired = 0;  // the original gone, a medium, the copy failed or still differs
};

// Repairs every copy whose last audit found it damaged (one study with examId when not empty).
RepairTally RepairDamagedCopies(RunControl& control, const ArchiverConfig& config,
                                CopyCatalog& copies, const std::string& examId,
                                const AuditProgress& progress);

}  // namespace mirabel
