#include "db/WaitingStudyCount.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "db/SelectionSteps.h"
#include "db/SqliteEngine.h"
#include "log/Logs.h"

namespace mirabel {

namespace {

// A path that surely names a study folder. The list drops a path that is missing, empty or
// the word NULL; this test errs only towards doubt wherever an engine compares loosely (blank
// padding, case, its own order of characters), so where it holds the list keeps the row. Most
// paths ('\...' after 'N') pass at the first comparison, which keeps the tally near a plain
// COUNT(*).
const char* const kSureOfFolder =
    "(EXAM.IMAGE_PATH > 'NULL') OR ((EXAM.IMAGE_PATH < 'NULL') AND (EXAM.IMAGE_PATH > ' '))";

std::string PathInDoubt() {
    return std::string("((CASE WHEN ") + kSureOfFolder + " THEN 0 ELSE 1 END) = 1)";
}

// The waiting rows and those of them whose path is in doubt, in one pass over the table. The
// casts keep the numbers plain integers on every engine.
std::string TallyStatement(const std::string& filter) {
    return std::string("SELECT CAST(COUNT(*) AS INTEGER), CAST(COUNT(CASE WHEN ") + kSureOfFolder +
           " THEN NULL ELSE 1 END) AS INTEGER) " + filter;
}

// Access's own engine knows no CASE: an Access file that is not a SQLite database is counted
// row by row.
bool DatabaseTallies(const ArchiverConfig& config) {
    return config.DbKind() != DatabaseKind::Jet || IsSqliteFile(config.m_strDatabaseFile);
}

// A count as the layer reads it.
long long CountField(CAdoRecordset* rs, int position) {
    const std::string text = GetFieldValue(rs, position);
    if (g_bDbError) throw CCVAException("database error");
    return std::strtoll(text.c_str(), nullptr, 10);
}

// The rows the list would keep among those the statement returns, up to maxRows of them.
std::size_t CountRowsWithFolder(CAdoRecordset* rs, const std::string& statement, int maxRows,
                                bool& complete) {
    DebugLog(statement);
    OpenSelection(rs, statement);
    std::size_t kept = 0;
    ForEachRow(rs, {"IMAGE_PATH"}, maxRows, [&](std::vector<std::string>& values) {
        if (HasStudyFolder(values[0])) ++kept;
    });
    complete = g_bDbError == 0;
    return kept;
}

std::size_t CountOnConnection(CAdoRecordset* rs, const ArchiverConfig& config, int maxStudies,
                              bool& complete) {
    const std::time_t now = std::time(nullptr);
    const std::string filter = WaitingStudiesFilter(config, now);
    long long waiting = -1, inDoubt = -1;
    if (DatabaseTallies(config)) {
        const std::string tally = TallyStatement(filter);
        DebugLog(tally);
        OpenSelection(rs, tally);
        waiting = CountField(rs, 0);
        inDoubt = CountField(rs, 1);
    }
    // Every row has its folder: the list holds the oldest rows up to the cap.
    if (inDoubt == 0) return static_cast<std::size_t>(std::min<long long>(waiting, maxStudies));
    // Within the cap only the rows in doubt need a look.
    if (waiting >= 0 && waiting <= maxStudies) {
        const std::size_t kept = CountRowsWithFolder(
            rs, "SELECT EXAM.IMAGE_PATH " + filter + " AND " + PathInDoubt(), maxStudies, complete);
        return static_cast<std::size_t>(waiting - inDoubt) + kept;
    }
    // Beyond it, which rows are in doubt decides: the oldest rows as the list reads them.
    return CountRowsWithFolder(rs, BuildStudySelectStatement(config, now), maxStudies, complete);
}

}  // namespace

bool CountWaitingStudies(const ArchiverConfig& config, std::size_t& count, int maxStudies) {
    switch (CheckSelection(config)) {
        case SelectionCheck::MissingValues:
            return false;
        case SelectionCheck::RefusedColumn:
            count = 0;
            return false;
        case SelectionCheck::Ready:
            break;
    }
    AddArchiveColumn(config);
    count = 0;
    try {
        HandleScope handles;
        CAdoDatabase* db = ConnectForSelection(handles, config);
        CAdoRecordset* rs = NewSelectionRecordset(handles, db);
        bool complete = true;
        count = CountOnConnection(rs, config, maxStudies, complete);
        handles.Close(rs);
        handles.Close(db);
        return complete;
    } catch (const CCVAException& failure) {
        LogSelectionFailure(failure);
        return false;
    }
}

}  // namespace mirabel
