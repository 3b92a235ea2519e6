// The parts of the status report that come from the catalog, and the projections.
#include <algorithm>

#include "catalog/CatalogTime.h"
#include "report/StatusReport.h"

namespace mirabel {

namespace {

constexpr int kLastRemovals = 10;
constexpr int kFailedRunsShown = 3;
constexpr int kRunsForMedian = 10;
constexpr double kIntakeDays = 30;
constexpr double kSecondsPerDay = 86400;

const char* const kKinds[] = {kRunArchive, kRunRemoval, kRunAudit, kRunRestore};

RunFigures WithThroughput(RunRecord run) {
    const std::optional<double> seconds = run.Seconds();
    RunFigures figures{std::move(run), 0, 0, {}};
    // A run of unknown length has no throughput rather than that of one second.
    if (!seconds) return figures;
    figures.megabytesPerSecond = static_cast<double>(figures.run.bytes) / 1048576.0 / *seconds;
    figures.studiesPerHour = figures.run.done * 3600.0 / *seconds;
    return figures;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void AddRuns(RunHistory& history, StatusReport& report) {
    for (const char* kind : kKinds)
        for (RunRecord& run : history.Last(kind, 1)) report.lastRuns.push_back(WithThroughput(run));
    // The last runs with failed studies, of any kind, looked for among the recent ones.
    for (RunRecord& run : history.Last("", 200)) {
        if (run.failed == 0) continue;
        RunFigures figures = WithThroughput(run);
        figures.failures = history.FailuresOf(figures.run.id);
        report.failedRuns.push_back(std::move(figures));
        if (report.failedRuns.size() == kFailedRunsShown) break;
    }
}

// lastMonth: the day totals of the last kIntakeDays days, to the second.
void AddProjections(RunHistory& history, const std::vector<RunRecord>& lastMonth,
                    StatusReport& report) {
    Projections& projections = report.projections;
    std::uint64_t archived = 0;
    for (const RunRecord& day : lastMonth)
        if (day.kind == kRunArchive) archived += day.bytes;
    projections.intakeBytesPerDay = static_cast<double>(archived) / kIntakeDays;
    if (report.removal.storeFreeBytes && projections.intakeBytesPerDay > 0)
        projections.daysUntilStoreFull =
            static_cast<double>(*report.removal.storeFreeBytes) / projections.intakeBytesPerDay;

    std::vector<double> speeds;
    for (const RunRecord& run : history.Last(kRunArchive, kRunsForMedian))
        if (const std::optional<double> seconds = run.Seconds(); run.bytes > 0 && seconds)
            speeds.push_back(static_cast<double>(run.bytes) / *seconds);
    projections.medianBytesPerSecond = Median(speeds);
    if (projections.medianBytesPerSecond > 0 && report.backlog.unknownBecause.empty())
        projections.daysToClearBacklog = static_cast<double>(report.backlog.bytes) /
                                         projections.medianBytesPerSecond / kSecondsPerDay;
}

// The chart's days all begin after the start of lastMonth: the same totals serve.
void AddLastDays(RunHistory& history, const std::vector<RunRecord>& lastMonth,
                 StatusReport& report) {
    static_assert(kChartDays <= kIntakeDays);
    if (history.Last("", 1).empty()) return;
    report.lastDays = RunsPerDay(lastMonth, report.generated.substr(0, 10), kChartDays);
}

}  // namespace

void AddCatalogFigures(CatalogDatabase& catalog, StatusReport& report) {
    RunHistory history(catalog);
    AddRuns(history, report);
    report.catalog = CopyCatalog(catalog).Figures();
    RemovalJournal journal(catalog);
    report.journal = journal.Pending();
    report.lastRemovals = journal.LastRemovals(kLastRemovals);
    // One pass over the month's history for both, however long it is.
    const std::vector<RunRecord> lastMonth =
        history.DailyTotalsSince(CatalogTimeSecondsAgo(kIntakeDays * kSecondsPerDay));
    AddProjections(history, lastMonth, report);
    AddLastDays(history, lastMonth, report);
}

}  // namespace mirabel
