#pragma once
// Removal for the status report: what a pass by the stored rules would take now, and what the
// image store holds. The selection runs on candidates of its own, so nothing is deleted, no
// journal is touched and the Study Deletion dialog's lists stay as they are.
#include "core/ArchiverConfig.h"
#include "removal/DeletionSettings.h"
#include "report/StatusReport.h"

namespace mirabel {

// The image store's free and total space, and the size goal when that rule is on.
void AddStoreSpace(const ArchiverConfig& config, const DeletionSettings& rules,
                   RemovalFigures& removal);

// Fills report.removal (candidates, the studies the rules select and the bytes they would free,
// the image store's space, the size goal when that rule is on) and report.unremovable: the
// candidates whose destination is no longer in archives.p, and the selected studies whose
// "cv.dir" names files in sub-folders (every pass leaves those in place).
void AddRemovalOutlook(const ArchiverConfig& config, const DeletionSettings& rules,
                       StatusReport& report);

}  // namespace mirabel
