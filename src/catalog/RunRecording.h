#pragma once
// Adding a finished run to the history of the start directory's catalog. The run itself has
// happened whatever the catalog says: a catalog that cannot be written costs the record and one
// error-log line, never the run's own result.
#include "catalog/RunHistory.h"

namespace mirabel {

// Records the run in the catalog of the start directory (kCatalogFile); false, with one
// error-log line, when it cannot be written.
bool RecordRunQuietly(const RunRecord& run);
// The same in a catalog already open.
bool RecordRunQuietly(CatalogDatabase& catalog, const RunRecord& run);

}  // namespace mirabel
