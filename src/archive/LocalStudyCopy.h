#pragma once
// The transfer to a file-system destination (hard drive, network folder, removable medium):
// space checks, the study folder, the file copies with their DICOMDIR entries, verification.
#include <string>

#include "archive/CopyRecord.h"
#include "archive/MediaBudget.h"
#include "archive/RunState.h"
#include "archive/StudyTransferPlan.h"
#include "archive/TransferOutcome.h"
#include "config/ArchiveDestination.h"
#include "db/StudyRecord.h"
#include "dicomdir/MediumDicomDir.h"

namespace mirabel {

// Room kept free on a destination beyond the study itself.
inline constexpr std::uint64_t kFreeSpaceReserve = 10485760;

// Copies the planned study and verifies the copy. Archived when the copy is complete and equal
// to the local folder; DestinationFullOrRefused when the medium's size or the destination's free
// space cannot take the study (nothing written); Failed on any other failure (logged, or told
// to the operator). The study notes there that its naming notice was written. With the
// DICOMDIR on, the copied DICOM files are listed in `dicomDir`, which is written before the
// copy is verified; a DICOMDIR that was read but cannot be written fails the study.
TransferOutcome CopyStudyToFolder(const RunControl& control, const ArchiveDestination& destination,
                                  StudyRecord& study, const StudyTransferPlan& plan,
                                  MediaBudget& budget, MediumDicomDir& dicomDir,
                                  CopiedFiles& copied);

// Creates the levels "images" and those of the image path below the destination's root, the
// root itself must exist. False when a level can neither be found nor created, or is a link.
[[nodiscard]] bool CreateLocalStudyDirectory(const ArchiveDestination& destination,
                                             const std::string& imagePath);

}  // namespace mirabel
