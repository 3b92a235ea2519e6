#include "removal/CandidateSelection.h"

#include <ctime>
#include <stdexcept>
#include <vector>

#include "catalog/RestoreHolds.h"
#include "core/Text.h"
#include "db/ArchiveValue.h"
#include "db/CheckedCalls.h"
#include "db/DaoDatabase.h"
#include "db/DatabaseLayer.h"
#include "db/DialectTranslation.h"
#include "db/ImageDatabase.h"
#include "db/StudySelection.h"
#include "log/Logs.h"
#include "removal/DeletionCandidates.h"
#include "removal/MediaTypeArchive.h"
#include "removal/RemovalBrake.h"
#include "removal/RuleValues.h"
#include "removal/SizeRule.h"

namespace mirabel {

namespace {

constexpr std::size_t kMaxLoggedMessage = 299;

// The columns a candidate is built from, in the order the rows hand them over (the archive
// column last): what the pass decides with. A row of EXAM and PATIENT has some thirty columns,
// and every one a statement names is decoded for every row; the names and dates a study is shown
// by are read when it is shown (CandidateDetails).
const std::vector<std::string> kCandidateColumns = {"EXAM.EXAM_ID", "EXAM.IMAGE_PATH"};
enum CandidateField { kExamId, kImagePath, kArchiveValue };

// The field name a row hands a column over by: the column's name without its table.
std::string FieldOf(const std::string& column) {
    return column.substr(column.find('.') + 1);
}

std::string MediaTypeName(const ArchiverConfig& config) {
    return "[" + MediaTypeColumn(config) + "]";
}

// Only a study whose archive column records an archive has a copy to fall back on.
std::string Archived(const ArchiverConfig& config) {
    return ArchivedCondition(config.DbKind(), "EXAM.[" + config.m_strDbField + "]");
}

// Runs one operation of the pass; its failure goes to the error log and ends only it. False
// when it failed.
template <typename Body>
bool LoggingFailure(Body&& body) {
    try {
        body();
        return true;
    } catch (const std::exception& failure) {
        ErrorLog(std::string(failure.what()).substr(0, kMaxLoggedMessage));
        return false;
    }
}

// One candidate for a row of the candidates' statement.
void AddCandidate(CandidateList& list, const std::vector<std::string>& v) {
    if (v[kImagePath].empty()) return;  // a study without a folder has nothing to delete
    list.Add(v[kExamId], v[kImagePath],
             v.size() > kArchiveValue ? v[kArchiveValue] : std::string_view());
}

bool SelectCandidates(CandidateList& list, const ArchiverConfig& config,
                      const std::string& statement, bool withArchiveValue) {
    list.clear();
    return LoggingFailure([&] {
        std::vector<std::string> fields;
        for (const std::string& column : kCandidateColumns) fields.push_back(FieldOf(column));
        if (withArchiveValue) fields.push_back(config.m_strDbField);
        try {
            ForEachImageRow(config, statement, fields, kMaxCandidateRows,
                            [&](std::vector<std::string>& row) { AddCandidate(list, row); });
        } catch (...) {
            list.clear();  // no list is built from a half-read result
            throw;
        }
    });
}

std::string CutoffDaysBefore(int days) {
    return CutoffLiteral(days, std::time(nullptr));
}

std::vector<std::string> ReadTransferredExams(const std::string& statement) {
    std::unique_ptr<CDaoDatabase> db = CreateDaoDatabase();
    OpenDaoDatabase(*db, kTempStudiesDatabaseFile, "");
    std::unique_ptr<CDaoRecordset> rs = CreateDaoRecordset(*db);
    OpenDaoRecordset(*rs, statement);
    std::vector<std::string> examIds;
    GetDaoColumn(*rs, "EXAM_ID", examIds, kMaxCandidateRows);
    CloseDaoRecordset(*rs);
    CloseDaoDatabase(*db);
    return examIds;
}

// A study restored lately is held back from the rules until its hold ends (the operator may
// still pick it by hand): otherwise the next pass would remove what was just asked for.
bool ReleaseHeldStudies(DeletionCandidates& candidates) {
    return LoggingFailure([&] {
        const std::unordered_set<std::string> held = ExamsOnRestoreHold();
        ForEachCandidate(candidates, [&held](Candidate& record, bool) {
            if (held.count(std::string(record.ExamId()))) record.m_bSelected = 0;
        });
    });
}

// The candidates' columns, as a statement selects them.
std::string CandidateColumnList(const ArchiverConfig& config) {
    std::string list;
    for (const std::string& column : kCandidateColumns) list += column + ", ";
    return list + "EXAM.[" + config.m_strDbField + "]";
}

// Marks the records the rows of a rule's statement name, and selects them once every row was
// read: a rule whose statement fails half way selects nothing. The marks are in the records
// themselves, so that half a million rows need no list of their own.
class RuleMarks {
  public:
    explicit RuleMarks(DeletionCandidates& candidates)
        : candidates_(candidates), index_(candidates) {}
    // The marks of a statement that failed half way select nothing and do not outlive the rule.
    ~RuleMarks() {
        ForEachMarked([](Candidate&) {});
    }
    void Add(std::string_view examId) {
        if (Candidate* record = index_.FindInOrder(examId)) record->m_bMarked = 1;
    }
    void Select(int selectedBy) {
        ForEachMarked([selectedBy](Candidate& record) { SelectCandidate(record, selectedBy); });
    }

  private:
    // Calls take(record) for each marked record, and clears its mark.
    template <typename Take>
    void ForEachMarked(Take&& take) {
        ForEachCandidate(candidates_, [&take](Candidate& record, bool) {
            if (!record.m_bMarked) return;
            record.m_bMarked = 0;
            take(record);
        });
    }

    DeletionCandidates& candidates_;
    CandidateIndex index_;
};

}  // namespace

std::string ServerCandidatesStatement(const ArchiverConfig& config) {
    return "SELECT " + CandidateColumnList(config) +
           " FROM PATIENT, EXAM WHERE ((PATIENT.PAT_ID = EXAM.PAT_ID)AND" + Archived(config) +
           "AND(EXAM." + MediaTypeName(config) +
           "='Image Server')AND(EXAM.OLD_CVS <> 1)) ORDER BY EXAM.EXAM_DATE";
}

std::string TempCandidatesStatement(const ArchiverConfig& config) {
    return "SELECT " + CandidateColumnList(config) +
           " FROM PATIENT, EXAM WHERE (PATIENT.PAT_ID = EXAM.PAT_ID)AND" + Archived(config) +
           "AND(EXAM." + MediaTypeName(config) + "='TEMP') ORDER BY EXAM.EXAM_DATE";
}

std::string ExamDateStatement(const ArchiverConfig& config, const std::string& cutoff) {
    return "SELECT EXAM.EXAM_ID FROM EXAM WHERE (" + Archived(config) + "AND(EXAM.EXAM_DATE < #" +
           cutoff + "#)AND(EXAM.OLD_CVS <> 1)) ORDER BY EXAM.EXAM_DATE";
}

std::string TransferDateStatement(const std::string& cutoff) {
    return "SELECT TempStudies.* FROM TempStudies WHERE ((TempStudies.[Transfer Date] < #" +
           cutoff + "#)) ORDER BY TempStudies.[Transfer Date]";
}

bool SelectServerCandidates(DeletionCandidates& candidates, const ArchiverConfig& config) {
    return SelectCandidates(candidates.server, config, ServerCandidatesStatement(config), true);
}

bool SelectTempCandidates(DeletionCandidates& candidates, const ArchiverConfig& config) {
    return SelectCandidates(candidates.temp, config, TempCandidatesStatement(config), true);
}

bool MarkByExamDate(DeletionCandidates& candidates, const ArchiverConfig& config, int days) {
    return LoggingFailure([&] {
        const std::string statement = ExamDateStatement(config, CutoffDaysBefore(days));
        RuleMarks marks(candidates);
        ForEachImageRow(config, statement, {"EXAM_ID"}, kMaxCandidateRows,
                        [&](std::vector<std::string>& row) { marks.Add(row.front()); });
        marks.Select(kSelectedByExamDate);
    });
}

bool MarkTempByTransferDate(DeletionCandidates& candidates, int days) {
    return LoggingFailure([&] {
        MarkCandidates(candidates,
                       ReadTransferredExams(TransferDateStatement(CutoffDaysBefore(days))),
                       kSelectedByTransferDate);
    });
}

std::vector<std::string> SelectionOutcome::Problems() const {
    std::vector<std::string> problems = refusals;
    if (failed)
        problems.push_back("Auto-Delete: the deletion candidates could not all be read (" +
                           SeeErrorLog() + ")");
    if (brake) problems.push_back(*brake);
    return problems;
}

SelectionOutcome RunSelectionPass(DeletionCandidates& candidates, const ArchiverConfig& config,
                                  const DeletionSettings& rules) {
    RuleValues values = CheckRuleValues(config, rules);
    SelectionOutcome outcome;
    outcome.refusals = std::move(values.refusals);
    // Every step runs, so that a failure costs only what it could not read.
    const auto step = [&outcome](bool done) { outcome.failed = outcome.failed || !done; };
    step(SelectServerCandidates(candidates, config));
    if (values.examDays) step(MarkByExamDate(candidates, config, *values.examDays));
    step(SelectTempCandidates(candidates, config));
    if (values.transferDays) step(MarkTempByTransferDate(candidates, *values.transferDays));
    if (values.sizeGoal) step(MarkBySize(candidates, config, *values.sizeGoal));
    step(ReleaseHeldStudies(candidates));
    outcome.brake = ApplyRemovalBrake(candidates, values.maxDeletePercent);
    return outcome;
}

}  // namespace mirabel
