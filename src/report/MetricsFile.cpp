#include "report/MetricsFile.h"

#include <cstdio>

#include "catalog/CatalogTime.h"
#include "platform/AtomicFileWrite.h"

namespace mirabel {

namespace {

class MetricsWriter {
  public:
    // A metric's HELP and TYPE lines, once, before its samples.
    MetricsWriter& Metric(const std::string& name, const std::string& help,
                          const char* type = "gauge") {
        text_ += "# HELP " + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
        name_ = name;
        return *this;
    }
    MetricsWriter& Sample(double value, const std::string& labels = "") {
        char number[64];
        std::snprintf(number, sizeof number, "%.17g", value);
        text_ += name_ + (labels.empty() ? "" : "{" + labels + "}") + " " + number + "\n";
        return *this;
    }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
    std::string name_;
};

std::string KindLabel(const std::string& kind) {
    return "kind=\"" + kind + "\"";
}

double Epoch(const std::string& catalogTime) {
    return static_cast<double>(TimeOfCatalogText(catalogTime).value_or(0));
}

void RunMetrics(MetricsWriter& out, const StatusReport& report,
                const std::vector<RunRecord>& lastSuccess) {
    out.Metric("mirabel_last_run_end_timestamp_seconds",
               "When the last run of each kind ended (Unix time).");
    for (const RunFigures& run : report.lastRuns)
        out.Sample(Epoch(run.run.ended), KindLabel(run.run.kind));
    out.Metric("mirabel_last_run_success", "1 when the last run of each kind ended with status 0.");
    for (const RunFigures& run : report.lastRuns)
        out.Sample(run.run.exitStatus == 0 ? 1 : 0, KindLabel(run.run.kind));
    out.Metric("mirabel_last_success_timestamp_seconds",
               "When the last run of each kind that ended with status 0 ended (Unix time).");
    for (const RunRecord& run : lastSuccess) out.Sample(Epoch(run.ended), KindLabel(run.kind));
    out.Metric("mirabel_last_run_studies", "Studies of the last run of each kind, by result.");
    for (const RunFigures& figures : report.lastRuns) {
        const RunRecord& run = figures.run;
        out.Sample(run.done, KindLabel(run.kind) + ",result=\"done\"")
            .Sample(run.failed, KindLabel(run.kind) + ",result=\"failed\"")
            .Sample(run.skipped, KindLabel(run.kind) + ",result=\"skipped\"");
    }
    out.Metric("mirabel_last_run_bytes",
               "Bytes copied, removed, read or restored by the last run.");
    for (const RunFigures& run : report.lastRuns)
        out.Sample(static_cast<double>(run.run.bytes), KindLabel(run.run.kind));
}

void StateMetrics(MetricsWriter& out, const StatusReport& report) {
    if (report.backlog.unknownBecause.empty()) {
        out.Metric("mirabel_backlog_studies", "Studies waiting to be archived.")
            .Sample(static_cast<double>(report.backlog.studies));
        // A count without a single folder measured knows no size.
        if (report.backlog.measured > 0 || report.backlog.studies == 0)
            out.Metric("mirabel_backlog_bytes", "Bytes of the studies waiting to be archived.")
                .Sample(static_cast<double>(report.backlog.bytes));
    }
    if (report.removal.storeFreeBytes)
        out.Metric("mirabel_image_store_free_bytes", "Free bytes of the image store.")
            .Sample(static_cast<double>(*report.removal.storeFreeBytes));
    if (report.removal.storeTotalBytes)
        out.Metric("mirabel_image_store_size_bytes", "Size of the image store's file system.")
            .Sample(static_cast<double>(*report.removal.storeTotalBytes));
    // A catalog that cannot be read knows no figures: none rather than a reassuring 0.
    if (!report.catalogUnknownBecause.empty()) return;
    out.Metric("mirabel_catalog_copies", "Copies recorded in the catalog.")
        .Sample(static_cast<double>(report.catalog.copies));
    out.Metric("mirabel_catalog_damaged_copies", "Copies whose last audit found them damaged.")
        .Sample(static_cast<double>(report.catalog.damaged));
    out.Metric("mirabel_removal_journal_studies",
               "Studies whose removal waits in the journal for the next pass.")
        .Sample(static_cast<double>(report.journal.size()));
}

}  // namespace

std::string MetricsText(const StatusReport& report, const std::vector<RunRecord>& lastSuccess) {
    MetricsWriter out;
    RunMetrics(out, report, lastSuccess);
    StateMetrics(out, report);
    return out.Text();
}

bool WriteMetricsFile(const std::filesystem::path& file, const std::string& text) {
    return WriteFileAtomically(file, text, 0644).ok();
}

}  // namespace mirabel
