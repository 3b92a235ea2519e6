#include "audit/AuditRunRecord.h"

#include <exception>

#include "catalog/CatalogTime.h"
#include "catalog/RunRecording.h"

namespace mirabel {

namespace {

void AddFailedChecks(CatalogDatabase& catalog, RunRecord& record) {
    CatalogStatement checks = catalog.Prepare(
        "SELECT exam_id, destination, result, IFNULL(detail, '') FROM copy_checks "
        "WHERE checked >= ? AND result <> ? ORDER BY id");
    checks.Bind(1, record.started).Bind(2, std::string(kCopyVerified));
    while (checks.Step()) {
        std::string reason = checks.Text(2) + " on " + checks.Text(1);
        if (!checks.Text(3).empty()) reason += ": " + checks.Text(3);
        record.failures.push_back({checks.Text(0), "", reason});
    }
}

}  // namespace

void RecordAuditRun(CatalogDatabase& catalog, const AuditTally& tally, const std::string& started) {
    RunRecord record;
    record.kind = kRunAudit;
    record.started = started;
    record.ended = CatalogTimeNow();
    record.done = tally.verified;
    record.failed = tally.damaged + tally.notChecked;
    record.bytes = tally.bytes;
    record.exitStatus = tally.AllVerified() ? 0 : 1;
    try {
        AddFailedChecks(catalog, record);
    } catch (const std::exception& failure) {
        record.failures.push_back(
            {"", "", std::string("the checks cannot be read: ") + failure.what()});
    }
    RecordRunQuietly(catalog, record);
}

}  // namespace mirabel
