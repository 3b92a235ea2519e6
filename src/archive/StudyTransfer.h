#pragma once
// The transfer of one study to an archive destination: the study folder is listed, its
// manifest "exam.ver" written, every file uploaded (FTP) or copied and verified (folders and
// removable media), and the study's EXAM row records where the copy lies.
#include "core/ArchiverConfig.h"
#include "archive/MediaBudget.h"
#include "config/ArchiveDestination.h"
#include "db/StudyRecord.h"

namespace mirabel {

inline constexpr int kStudyArchived = 1;
inline constexpr int kStudyFailed = -1;
inline constexpr int kDestinationFull = -2;

// Archives the study to the destination. Returns
//    1 archived (and recorded in the database unless the study's update flag is 0);
//   -1 failed, may be tried again (the reason is in the logs or was shown to the operator);
//   -2 the destination cannot take the study: the medium's size or the free space is too
//      small, or the destination is an image server (its table data cannot be sent yet).
// For removable media the destination's current medium label is set first (the operator may
// be asked for it) and the study is charged to the medium's budget. Never throws.
[[nodiscard]] int ArchiveStudy(const ArchiverConfig& config, ArchiveDestination& destination,
                               StudyRecord& study, MediaBudget& remainingMediaBytes);

}  // namespace mirabel
