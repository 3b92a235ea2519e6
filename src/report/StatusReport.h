#pragma once
// The status report for the person on call: what waits, how the last runs went, what removal
// would do, the state of the catalog, what failed, and two projections. One model, printed as
// text or as JSON (`mirabel --report [--json]`) and shown in the Status window.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog/CopyCatalog.h"
#include "catalog/RemovalJournal.h"
#include "catalog/RunHistory.h"
#include "report/RunsPerDay.h"

namespace mirabel {

// The studies waiting under the current criteria.
struct BacklogFigures {
    std::string unknownBecause;  // not empty when the image database could not be read
    std::int64_t studies = 0;
    std::uint64_t bytes = 0;
    // With many studies, sizes come from a sample: the folders measured, the rest estimated.
    std::int64_t measured = 0;
    bool Estimated() const { return measured < studies; }
    std::string oldestExamDate;  // empty without studies
};

// One run of the history with its throughput.
struct RunFigures {
    RunRecord run;
    double megabytesPerSecond = 0;
    double studiesPerHour = 0;
    std::vector<RunFailure> failures;  // for the runs with failures
};

struct RemovalFigures {
    std::string unknownBecause;  // candidates could not be read
    std::int64_t candidates = 0;
    std::int64_t selected = 0;  // by the stored rules
    std::uint64_t selectedBytes = 0;
    std::optional<std::uint64_t> storeFreeBytes;
    std::optional<std::uint64_t> storeTotalBytes;
    std::optional<std::uint64_t> sizeGoalBytes;  // when the size rule is on
};

struct UnremovableStudy {
    std::string examId;
    std::string studyName;
    std::string reason;
};

struct Projections {
    std::optional<double> daysUntilStoreFull;
    double intakeBytesPerDay = 0;  // archived per day over the last 30 days
    std::optional<double> daysToClearBacklog;
    double medianBytesPerSecond = 0;  // of the last archive runs
};

struct StatusReport {
    std::string generated;    // when, the catalog's time form
    std::string destination;  // the current destination's id
    BacklogFigures backlog;
    std::vector<RunFigures> lastRuns;  // the last of each kind that ran: archive, removal, ...
    RemovalFigures removal;
    CopyFigures catalog;
    // Not empty when the catalog file is there but cannot be read (damaged, locked, of a later
    // release): then runs, copies, journal and register are unknown, not none.
    std::string catalogUnknownBecause;
    std::vector<RunFigures> failedRuns;  // the last three runs with failed studies
    std::vector<RemovalIntent> journal;  // studies whose removal waits to be finished
    std::vector<UnremovableStudy> unremovable;
    std::vector<RegisteredRemoval> lastRemovals;
    Projections projections;
    // The last kChartDays days, oldest first, for the Status window's chart; empty while the
    // history holds no run at all.
    std::vector<DayFigures> lastDays;
};

// What the catalog knows: runs, catalog figures, journal, register; and the projections from
// them and the figures already in the report (backlog, store space). Throws CatalogFailure.
void AddCatalogFigures(CatalogDatabase& catalog, StatusReport& report);

// The report as text for a terminal, and as JSON with the keys README documents.
std::string ReportText(const StatusReport& report);
std::string ReportJson(const StatusReport& report);

}  // namespace mirabel
