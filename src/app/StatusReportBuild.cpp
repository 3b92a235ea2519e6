#include "app/StatusReportBuild.h"

#include <filesystem>
#include <optional>

#include "app/CoreRemovalHost.h"
#include "catalog/CatalogTime.h"
#include "log/Logs.h"
#include "report/BacklogSizing.h"
#include "report/RemovalOutlook.h"

namespace mirabel {

namespace {

namespace fs = std::filesystem;

const char* const kKinds[] = {kRunArchive, kRunRemoval, kRunAudit, kRunRestore};

void AddWhatTheCatalogKnows(StatusReport& report) {
    try {
        std::optional<CatalogDatabase> catalog = CatalogDatabase::OpenToRead();
        std::error_code error;
        if (!catalog && fs::exists(fs::symlink_status(kCatalogFile, error)))
            throw CatalogFailure(std::string(kCatalogFile) + ": not a file");
        if (!catalog) return;
        // All of the catalog's parts or none: a half-read catalog would pass for a quiet one.
        StatusReport withCatalog = report;
        AddCatalogFigures(*catalog, withCatalog);
        report = std::move(withCatalog);
    } catch (const CatalogFailure& failure) {
        // The rest of the report still helps; the catalog's parts say they are unknown.
        report.catalogUnknownBecause = failure.what();
    }
}

}  // namespace

StatusReport BuildStatusReport(ArchiverCore& core, ReportDepth depth) {
    const LogSilence silence;
    const ArchiverConfig& config = core.Config();
    StatusReport report;
    report.generated = CatalogTimeNow();
    report.destination = config.m_strCurrentArchive;
    report.backlog = MeasureBacklog(
        config, depth == ReportDepth::Full ? BacklogSizes::Measured : BacklogSizes::CountOnly);
    // The host only reads the stored rules here; it is never asked to run a pass.
    CoreRemovalHost host(core);
    const DeletionSettings rules = LoadDeletionSettings(host);
    if (depth == ReportDepth::Full)
        AddRemovalOutlook(config, rules, report);
    else
        AddStoreSpace(config, rules, report.removal);
    AddWhatTheCatalogKnows(report);
    return report;
}

std::vector<RunRecord> LastSuccessfulRuns() {
    std::vector<RunRecord> runs;
    try {
        std::optional<CatalogDatabase> catalog = CatalogDatabase::OpenToRead();
        if (!catalog) return runs;
        RunHistory history(*catalog);
        for (const char* kind : kKinds)
            if (std::optional<RunRecord> run = history.LastSuccessful(kind)) runs.push_back(*run);
    } catch (const CatalogFailure&) {
    }
    return runs;
}

}  // namespace mirabel
