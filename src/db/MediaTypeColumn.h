#pragma once
// Where the EXAM row keeps the study's media type: "Image Server" while its images are here,
// "Archive" once they were removed and live only in the archive.
#include <string>

#include "core/ArchiverConfig.h"

namespace mirabel {

// "Media Type" on Access/JET and SQL Server, "MEDIA_TYPE" on the Oracle kind (and on an unknown
// kind, which is connected as Oracle).
std::string MediaTypeColumn(DatabaseKind kind);
inline std::string MediaTypeColumn(const ArchiverConfig& config) {
    return MediaTypeColumn(config.DbKind());
}

}  // namespace mirabel
