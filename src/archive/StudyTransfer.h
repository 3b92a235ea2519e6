#pragma once
// The transfer of one study to an archive destination: the study folder is listed, its
// manifest "exam.ver" written, every file uploaded (FTP; an image server then also receives
// the study's PATIENT and EXAM rows) or copied and verified (folders and removable media), and
// the study's EXAM row records where the copy lies.
#include "archive/MediaBudget.h"
#include <optional>

#include "archive/RunState.h"
#include "archive/StudyTransferPlan.h"
#include "core/ArchiverConfig.h"
#include "archive/TransferOutcome.h"
#include "config/ArchiveDestination.h"
#include "db/StudyRecord.h"
#include "dicomdir/MediumDicomDir.h"

namespace mirabel {

// Archives the study to the destination. Returns
//   Archived (1): archived, and recorded in the database unless the study's update flag is 0;
//   Failed (-1): may be tried again (the reason is in the logs or was shown to the operator);
//   DestinationFullOrRefused (-2): the destination cannot take the study: the medium's size or
//      the free space is too small, or an image server did not accept the study's PATIENT or
//      EXAM row.
// For removable media the destination's current medium label is set first (the operator may
// be asked for it) and the study is charged to the medium's budget; a run passes the medium's
// DICOMDIR, kept in memory from study to study. Progress and Cancel are the control's. Never
// throws.
TransferOutcome ArchiveStudy(const RunControl& control, const ArchiverConfig& config,
                             ArchiveDestination& destination, StudyRecord& study,
                             MediaBudget& remainingMediaBytes, MediumDicomDir& dicomDir);

// What ArchiveStudy would send, found by the same checks and the same listing, with nothing
// written: nullopt when the study would fail before its first file (the error log says why: a
// destination without a root, an unsafe image path or id, a folder that cannot be listed). The
// medium label is not asked for.
std::optional<StudyTransferPlan> PlanArchiveOfStudy(const ArchiverConfig& config,
                                                    const ArchiveDestination& destination,
                                                    const StudyRecord& study);

// One study on its own: the medium's DICOMDIR is read for it alone.
TransferOutcome ArchiveStudy(const RunControl& control, const ArchiverConfig& config,
                             ArchiveDestination& destination, StudyRecord& study,
                             MediaBudget& remainingMediaBytes);

}  // namespace mirabel
