// The EXAM table's columns: the combo box of archive columns, and adding the archive column.
#include "core/Text.h"
#include "db/CCVAException.h"
#include "db/DatabaseLayer.h"
#include "db/DialectTranslation.h"
#include "db/ImageDatabase.h"
#include "db/StudySelection.h"

namespace mirabel {

namespace {

// No rows are needed to learn the columns; a server need not send the whole table.
constexpr const char* kExamColumnsStatement = "SELECT * FROM EXAM WHERE 1 = 0";

// Opens "echodb" and "echorec" on the EXAM columns; throws CCVAException when it cannot.
CAdoRecordset* OpenExamColumns(const ArchiverConfig& config, CAdoDatabase*& db) {
    db = OpenImageDatabase("echodb", config);
    if (db == nullptr) throw CCVAException("database error");
    CAdoRecordset* rs = GetNewRecordset("echorec", db);
    if (g_bDbError) throw CCVAException("database error");
    OpenRecordset(rs, kExamColumnsStatement);
    if (g_bDbError) throw CCVAException("database error");
    return rs;
}

bool HasColumn(CAdoRecordset* rs, const std::string& wanted) {
    const int count = GetFieldCount(rs);
    for (int i = 0; i < count; ++i)
        if (EqualIgnoringCase(GetFieldName(rs, i), wanted)) return true;
    return false;
}

}  // namespace

void AddArchiveColumn(const ArchiverConfig& config) {
    try {
        CAdoDatabase* db = nullptr;
        CAdoRecordset* rs = OpenExamColumns(config, db);
        const std::string column =
            g_bOracleSyntax ? TranslateFieldName(config.m_strDbField) : config.m_strDbField;
        const bool present = HasColumn(rs, column);
        CloseRecordset(rs);
        if (!present) {
            rs = GetNewRecordset("echorec", db);
            OpenRecordset(rs,
                          "ALTER TABLE EXAM ADD COLUMN [" + config.m_strDbField + "] Text(255)");
            CloseRecordset(rs);
        }
        CloseDatabase(db);
    } catch (const CCVAException&) {
        // Nothing to tell: the selection that follows reports an unreachable database.
    }
}

std::vector<std::string> ListExamColumns(const ArchiverConfig& config) {
    std::vector<std::string> names;
    try {
        CAdoDatabase* db = nullptr;
        CAdoRecordset* rs = OpenExamColumns(config, db);
        const int count = GetFieldCount(rs);
        for (int i = 0; i < count; ++i) names.push_back(GetFieldName(rs, i));
        CloseRecordset(rs);
        CloseDatabase(db);
    } catch (const CCVAException&) {
        // The combo box keeps what was added.
    }
    return names;
}

}  // namespace mirabel
