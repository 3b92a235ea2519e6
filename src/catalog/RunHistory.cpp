#include "catalog/RunHistory.h"

#include "catalog/CatalogTime.h"

#include <algorithm>

namespace mirabel {

namespace {

// A history edited by hand or damaged may hold text or absurd numbers in the counting columns:
// a count is read as 0 to 2^31-1, bytes as at least 0, and an exit status that is not a whole
// number as -1, which is not success.
std::string Count(const std::string& column) {
    return "CASE typeof(" + column + ") WHEN 'integer' THEN MAX(0, MIN(" + column +
           ", 2147483647)) ELSE 0 END";
}

const std::string& RunColumns() {
    static const std::string columns =
        "id, kind, started, ended, IFNULL(destination, ''), " + Count("done") + ", " +
        Count("failed") + ", " + Count("skipped") +
        ", CASE typeof(bytes) WHEN 'integer' THEN MAX(0, bytes) ELSE 0 END"
        ", CASE typeof(exit_status) WHEN 'integer' THEN exit_status ELSE -1 END";
    return columns;
}

RunRecord RunFromRow(const CatalogStatement& row) {
    RunRecord run;
    run.id = row.Number(0);
    run.kind = row.Text(1);
    run.started = row.Text(2);
    run.ended = row.Text(3);
    run.destination = row.Text(4);
    run.done = static_cast<int>(row.Number(5));
    run.failed = static_cast<int>(row.Number(6));
    run.skipped = static_cast<int>(row.Number(7));
    run.bytes = static_cast<std::uint64_t>(row.Number(8));
    run.exitStatus = static_cast<int>(row.Number(9));
    return run;
}

std::vector<RunRecord> AllRuns(CatalogStatement& statement) {
    std::vector<RunRecord> runs;
    while (statement.Step()) runs.push_back(RunFromRow(statement));
    return runs;
}

}  // namespace

std::optional<double> RunRecord::Seconds() const {
    const std::optional<std::time_t> start = TimeOfCatalogText(started);
    const std::optional<std::time_t> end = TimeOfCatalogText(ended);
    if (!start || !end || *end < *start) return std::nullopt;
    return std::max(1.0, std::difftime(*end, *start));
}

void RunHistory::Record(const RunRecord& run) {
    catalog_.InTransaction([&] {
        catalog_
            .Prepare(
                "INSERT INTO runs (kind, started, ended, destination, done, failed, skipped, "
                "bytes, exit_status) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")
            .BindTexts({run.kind, run.started, run.ended, run.destination})
            .Bind(5, std::int64_t{run.done})
            .Bind(6, std::int64_t{run.failed})
            .Bind(7, std::int64_t{run.skipped})
            .Bind(8, static_cast<std::int64_t>(run.bytes))
            .Bind(9, std::int64_t{run.exitStatus})
            .Run();
        CatalogStatement id = catalog_.Prepare("SELECT last_insert_rowid()");
        id.Step();
        const std::int64_t runId = id.Number(0);
        CatalogStatement failure = catalog_.Prepare(
            "INSERT INTO run_failures (run_id, exam_id, study_name, reason) VALUES (?, ?, ?, ?)");
        for (const RunFailure& failed : run.failures)
            failure.Bind(1, runId)
                .Bind(2, failed.examId)
                .Bind(3, failed.studyName)
                .Bind(4, failed.reason)
                .Run();
    });
}

std::vector<RunRecord> RunHistory::Last(const std::string& kind, int count) {
    const std::string sql = "SELECT " + RunColumns() + " FROM runs" +
                            (kind.empty() ? " WHERE ?1 = ''" : " WHERE kind = ?1") +
                            " ORDER BY id DESC LIMIT ?2";
    CatalogStatement statement = catalog_.Prepare(sql.c_str());
    statement.Bind(1, kind).Bind(2, std::int64_t{count});
    return AllRuns(statement);
}

std::optional<RunRecord> RunHistory::LastSuccessful(const std::string& kind) {
    const std::string sql =
        "SELECT " + RunColumns() +
        " FROM runs WHERE kind = ? AND exit_status = 0 ORDER BY id DESC LIMIT 1";
    CatalogStatement statement = catalog_.Prepare(sql.c_str());
    statement.Bind(1, kind);
    std::vector<RunRecord> runs = AllRuns(statement);
    if (runs.empty()) return std::nullopt;
    return std::move(runs.front());
}

std::vector<RunRecord> RunHistory::DailyTotalsSince(const std::string& since) {
    // TOTAL sums in floating point: a damaged history's huge values cannot overflow the sum.
    CatalogStatement statement = catalog_.Prepare(
        "SELECT kind, substr(ended, 1, 10) AS day, MIN(TOTAL(done), 2147483647), "
        "MIN(TOTAL(failed), 2147483647), MAX(TOTAL(bytes), 0) FROM runs WHERE ended >= ? "
        "GROUP BY kind, day ORDER BY day");
    statement.Bind(1, since);
    std::vector<RunRecord> totals;
    while (statement.Step()) {
        RunRecord day;
        day.kind = statement.Text(0);
        day.ended = statement.Text(1);
        day.done = static_cast<int>(statement.Real(2));
        day.failed = static_cast<int>(statement.Real(3));
        day.bytes = static_cast<std::uint64_t>(std::min(statement.Real(4), 1.8e19));
        totals.push_back(std::move(day));
    }
    return totals;
}

std::vector<RunFailure> RunHistory::FailuresOf(std::int64_t runId) {
    CatalogStatement statement = catalog_.Prepare(
        "SELECT exam_id, IFNULL(study_name, ''), IFNULL(reason, '') FROM run_failures "
        "WHERE run_id = ? ORDER BY rowid");
    statement.Bind(1, runId);
    std::vector<RunFailure> failures;
    while (statement.Step())
        failures.push_back({statement.Text(0), statement.Text(1), statement.Text(2)});
    return failures;
}

}  // namespace mirabel
