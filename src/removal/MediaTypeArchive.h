#pragma once
// The last step of a study's deletion: its EXAM row records that the study now lives only in
// the archive.
#include <string>

#include "archive/ExamRowWriter.h"
#include "core/ArchiverConfig.h"
#include "db/MediaTypeColumn.h"

namespace mirabel {

// Sets the media type column ("Media Type", or MEDIA_TYPE on the Oracle kind) of the EXAM row
// with that exam id to "Archive". 1 when the row was updated; 0 when the row is missing, the
// id is not numeric, or the database failed (the failure is written to the error log). The row
// is written through the writer's connection, which a deletion pass keeps for all its studies.
int SetMediaTypeArchive(ExamRowWriter& rows, const ArchiverConfig& config,
                        const std::string& examId);

}  // namespace mirabel
