#pragma once
// The number of studies waiting to be archived, for the status line: what GetStudyList would
// list now, counted without listing them.
#include <cstddef>

#include "core/ArchiverConfig.h"
#include "db/StudySelection.h"

namespace mirabel {

// Sets `count` to the number of studies GetStudyList(config, maxStudies) would list: the same
// rows, the same cap on the oldest of them, the rows without a study folder left out. The
// database counts whenever it can say the number exactly; rows it cannot judge (an image path
// that is missing or reads empty) and more rows than the cap are read row by row, as the list
// reads them. Never throws. Returns as GetStudyList does: false when connection values are
// missing (`count` untouched, as the list keeps its content), when the archive column is
// refused (0), or when the database cannot be opened or read (0, or the studies counted before
// a failed read; the error log says why).
bool CountWaitingStudies(const ArchiverConfig& config, std::size_t& count,
                         int maxStudies = kMaxSelectedStudies);

}  // namespace mirabel
