#pragma once
// What an audit leaves in the run history: the copies verified, and those damaged or not
// checked with the result the catalog kept for them.
#include <string>

#include "audit/CopyAudit.h"
#include "catalog/RunHistory.h"

namespace mirabel {

// Records the audit that started at `started` (the catalog's time form): its failures are the
// checks of that audit that did not verify. Exit status 0 when every copy looked at was verified,
// else 1. A catalog that cannot be written costs only the record (one error-log line).
void RecordAuditRun(CatalogDatabase& catalog, const AuditTally& tally, const std::string& started);

}  // namespace mirabel
