#include "db/MediaTypeColumn.h"

namespace mirabel {

std::string MediaTypeColumn(DatabaseKind kind) {
    const bool oracle = kind == DatabaseKind::Oracle || kind == DatabaseKind::Unknown;
    return oracle ? "MEDIA_TYPE" : "Media Type";
}

}  // namespace mirabel
