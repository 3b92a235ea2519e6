#pragma once
// The history of the program's work: one record for every archive run, removal pass, audit and
// restore, with the studies that failed in it. The status report and the metrics read it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog/CatalogDatabase.h"

namespace mirabel {

// The kinds of work, as the history and the metrics name them.
inline constexpr const char* kRunArchive = "archive";
inline constexpr const char* kRunRemoval = "removal";
inline constexpr const char* kRunAudit = "audit";
inline constexpr const char* kRunRestore = "restore";

struct RunFailure {
    std::string examId;
    std::string studyName;
    std::string reason;
};

struct RunRecord {
    std::string kind;
    std::string started;  // the catalog's time form, local time
    std::string ended;
    std::string destination;  // the destination id, when the work had one
    int done = 0;             // studies archived, removed, verified or restored
    int failed = 0;
    int skipped = 0;
    std::uint64_t bytes = 0;
    int exitStatus = 0;
    std::vector<RunFailure> failures;  // read back only by FailuresOf
    std::int64_t id = 0;               // set when read back

    // Seconds between start and end, at least 1 so that a throughput never divides by 0; nullopt
    // when they cannot be read or the end comes first (the clock was set back during the run).
    std::optional<double> Seconds() const;
};

class RunHistory {
  public:
    explicit RunHistory(CatalogDatabase& catalog) : catalog_(catalog) {}

    // Appends the record and its failures in one transaction; synced.
    void Record(const RunRecord& run);
    // The last `count` records of a kind, newest first (all kinds when kind is empty).
    std::vector<RunRecord> Last(const std::string& kind, int count);
    // The last record of a kind that ended with exit status 0.
    std::optional<RunRecord> LastSuccessful(const std::string& kind);
    // Of the records that ended at or after `since` (the catalog's time form), one per kind and
    // day, oldest first: `ended` is the day ("YYYY-MM-DD"), done, failed and bytes are sums.
    // Summed by the catalog, so that a long history is never read whole.
    std::vector<RunRecord> DailyTotalsSince(const std::string& since);
    std::vector<RunFailure> FailuresOf(std::int64_t runId);

  private:
    CatalogDatabase& catalog_;
};

}  // namespace mirabel
