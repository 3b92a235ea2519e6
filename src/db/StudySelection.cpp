#include "db/StudySelection.h"

#include "db/ArchiveColumnRule.h"
#include "db/CCVAException.h"
#include "db/DatabaseLayer.h"
#include "db/ImageDatabase.h"
#include "log/Logs.h"
#include "platform/LocalTime.h"

namespace mirabel {

std::vector<std::unique_ptr<StudyRecord>> g_StudyList;

namespace {

constexpr std::size_t kMaxLoggedMessage = 299;
// The order in which GetRows hands the values of each row.
const std::vector<std::string> kSelectedFields = {"EXAM_ID",   "IMAGE_PATH", "NAME_L", "NAME_F",
                                                  "EXAM_DATE", "PAT_ID",     "READER"};
enum SelectedField { kExamId, kImagePath, kLastName, kFirstName, kExamDate, kPatientId, kReader };

const char* const kPrelimClause = " AND (EXAM.PRELIM is NOT NULL)";
const char* const kFinalClause =
    " AND ((EXAM.READER is NOT NULL) AND (EXAM.READER NOT LIKE '$$$READING$$$%'))";
const char* const kPrelimOrFinalClause =
    " AND ((EXAM.PRELIM is NOT NULL) OR ((EXAM.READER is NOT NULL) AND (EXAM.READER NOT LIKE "
    "'$$$READING$$$%')))";

// The four connection values as the debug log and the failure text show them; the password
// is masked.
std::string ConnectionDescription(const ArchiverConfig& c) {
    return c.m_strSqlServer + "\r\n" + c.m_strSqlDb + "\r\n" + c.m_strSqlUser + "\r\n" +
           MaskedPassword(c.m_strSqlPassword) + "\r\n";
}

// The waiting studies' values, row after row. `complete` is false when reading stopped at a
// failure: the rows read before it are still used.
std::vector<std::string> ReadWaitingStudies(const ArchiverConfig& config, bool& complete) {
    HandleScope handles;
    CAdoDatabase* db = handles.NewDatabase("corvana");
    if (g_bDbError) throw CCVAException("database error GetNewDatabase");
    ConnectImageDatabase(db, config);
    DebugLog("sql database\r\n" + ConnectionDescription(config));
    if (g_bDbError) throw CCVAException("database error\r\n" + ConnectionDescription(config));

    const std::string statement = BuildStudySelectStatement(config, std::time(nullptr));
    DebugLog("GetStudyList 1");
    CAdoRecordset* rs = handles.NewRecordset("echorec", db);
    if (g_bDbError) throw CCVAException("database error");
    DebugLog("GetStudyList 1b");
    DebugLog(statement);
    OpenRecordset(rs, statement);
    if (g_bDbError) throw CCVAException("database error");

    DebugLog("GetStudyList 1c");
    std::vector<std::string> values;
    GetRows(rs, kSelectedFields, values, kMaxSelectedStudies);
    complete = g_bDbError == 0;
    DebugLog("GetStudyList 1d");
    handles.Close(rs);
    handles.Close(db);
    return values;
}

void FillStudyList(std::vector<std::string>& values) {
    const std::size_t width = kSelectedFields.size();
    g_StudyList.reserve(values.size() / width);
    for (std::size_t row = 0; row + width <= values.size(); row += width) {
        std::string* v = &values[row];
        if (v[kImagePath].empty()) continue;  // a study without a folder cannot be archived
        auto study = std::make_unique<StudyRecord>();
        study->m_strExamDate = std::move(v[kExamDate]);
        study->m_strImagePath = std::move(v[kImagePath]);
        study->m_strExamId = std::move(v[kExamId]);
        study->m_strName = v[kFirstName] + " " + v[kLastName];
        study->m_strPatientId = std::move(v[kPatientId]);
        g_StudyList.push_back(std::move(study));
    }
}

}  // namespace

std::string CutoffLiteral(int daysBefore, std::time_t now) {
    const std::time_t cutoff = now - static_cast<std::time_t>(daysBefore) * 24 * 60 * 60;
    const std::tm local = LocalTime(cutoff);
    char text[32];
    std::strftime(text, sizeof text, "%m/%d/%Y %H:%M", &local);
    return text;
}

std::string BuildStudySelectStatement(const ArchiverConfig& config, std::time_t now) {
    std::string statement =
        "SELECT EXAM.IMAGE_PATH,EXAM.EXAM_DATE,PATIENT.NAME_L,PATIENT.NAME_F,EXAM.EXAM_ID,"
        "EXAM.PAT_ID ,EXAM.READER FROM PATIENT, EXAM WHERE ((PATIENT.PAT_ID = EXAM.PAT_ID)AND("
        "(EXAM.[" +
        config.m_strDbField + "]) Is Null) AND (EXAM.OLD_CVS <> 1))";
    if (!config.m_bSendAll) {
        if (config.m_bReside)
            statement +=
                " AND (EXAM.EXAM_DATE < #" + CutoffLiteral(config.m_nDaysBeforeArchive, now) + "#)";
        if (config.m_bPrelim && config.m_bFinal)
            statement += kPrelimOrFinalClause;
        else if (config.m_bPrelim)
            statement += kPrelimClause;
        else if (config.m_bFinal)
            statement += kFinalClause;
    }
    return statement + " ORDER BY EXAM.EXAM_DATE";
}

bool GetStudyList(const ArchiverConfig& config) {
    if (!ConnectionValuesPresent(config)) {
        if (config.DbKind() != DatabaseKind::Jet) DebugLog("Variable is empty");
        return false;
    }
    if (const std::optional<std::string> refusal = ArchiveColumnRefusal(config.m_strDbField)) {
        g_StudyList.clear();
        ErrorLog(*refusal);
        return false;
    }
    DebugLog("Add Archive PathToDB");
    AddArchiveColumn(config);
    DebugLog("GetStudyList begin");
    g_StudyList.clear();
    try {
        bool complete = true;
        std::vector<std::string> values = ReadWaitingStudies(config, complete);
        if (values.empty()) {
            DebugLog("GetStudyList end(no records)");
            return complete;
        }
        DebugLog("GetStudyList 2");
        DebugLog("GetStudyList 3");
        FillStudyList(values);
        DebugLog("GetStudyList end");
        return complete;
    } catch (const CCVAException& failure) {
        ErrorLog(failure.Message().substr(0, kMaxLoggedMessage));
        return false;
    }
}

std::string StudyCountStatus() {
    if (g_StudyList.empty()) return "No studies to be archived";
    return std::to_string(g_StudyList.size()) + " studies to be archived";
}

}  // namespace mirabel
