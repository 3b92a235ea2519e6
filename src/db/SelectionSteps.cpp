#include "db/SelectionSteps.h"

#include <optional>

#include "db/ArchiveColumnRule.h"
#include "db/ArchiveValue.h"
#include "db/ImageDatabase.h"
#include "db/StudySelection.h"
#include "log/Logs.h"

namespace mirabel {

namespace {

constexpr std::size_t kMaxLoggedMessage = 299;

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

}  // namespace

SelectionCheck CheckSelection(const ArchiverConfig& config) {
    if (!ConnectionValuesPresent(config)) {
        if (config.DbKind() != DatabaseKind::Jet) DebugLog("Variable is empty");
        return SelectionCheck::MissingValues;
    }
    if (const std::optional<std::string> refusal = ArchiveColumnRefusal(config.m_strDbField)) {
        ErrorLog(*refusal);
        return SelectionCheck::RefusedColumn;
    }
    return SelectionCheck::Ready;
}

std::string WaitingStudiesFilter(const ArchiverConfig& config, std::time_t now) {
    std::string filter =
        "FROM PATIENT, EXAM WHERE ((PATIENT.PAT_ID = EXAM.PAT_ID)AND" +
        NotArchivedCondition(config.DbKind(), "EXAM.[" + config.m_strDbField + "]") +
        " AND (EXAM.OLD_CVS <> 1))";
    if (config.m_bSendAll) return filter;
    if (config.m_bReside)
        filter +=
            " AND (EXAM.EXAM_DATE < #" + CutoffLiteral(config.m_nDaysBeforeArchive, now) + "#)";
    if (config.m_bPrelim && config.m_bFinal)
        filter += kPrelimOrFinalClause;
    else if (config.m_bPrelim)
        filter += kPrelimClause;
    else if (config.m_bFinal)
        filter += kFinalClause;
    return filter;
}

CAdoDatabase* ConnectForSelection(HandleScope& handles, const ArchiverConfig& config) {
    CAdoDatabase* db = handles.NewDatabase("corvana");
    if (g_bDbError) throw CCVAException("database error GetNewDatabase");
    ConnectImageDatabase(db, config);
    DebugLog("sql database\r\n" + ConnectionDescription(config));
    if (g_bDbError) throw CCVAException("database error\r\n" + ConnectionDescription(config));
    return db;
}

CAdoRecordset* NewSelectionRecordset(HandleScope& handles, CAdoDatabase* db) {
    CAdoRecordset* rs = handles.NewRecordset("echorec", db);
    if (g_bDbError) throw CCVAException("database error");
    return rs;
}

void OpenSelection(CAdoRecordset* rs, const std::string& statement) {
    OpenRecordset(rs, statement);
    if (g_bDbError) throw CCVAException("database error");
}

void LogSelectionFailure(const CCVAException& failure) {
    ErrorLog(failure.Message().substr(0, kMaxLoggedMessage));
}

}  // namespace mirabel
