// The EXAM table's columns: the combo box of archive columns, and adding the archive column.
#include <algorithm>

#include "core/CCVAException.h"
#include "core/Text.h"
#include "db/ArchiveColumnRule.h"
#include "db/DatabaseLayer.h"
#include "db/DialectTranslation.h"
#include "db/ImageDatabase.h"
#include "db/StudySelection.h"

namespace mirabel {

namespace {

// No rows are needed to learn the columns; a server need not send the whole table.
constexpr const char* kExamColumnsStatement = "SELECT * FROM EXAM WHERE 1 = 0";

// Opens "echodb" and "echorec" on the EXAM columns; throws CCVAException when it cannot.
CAdoRecordset* OpenExamColumns(HandleScope& handles, const ArchiverConfig& config,
                               CAdoDatabase*& db) {
    db = OpenImageDatabase(handles, "echodb", config);
    if (db == nullptr) throw CCVAException("database error");
    CAdoRecordset* rs = handles.NewRecordset("echorec", db);
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
    // A refused name is never added; the selection that follows says why.
    if (ArchiveColumnRefusal(config.m_strDbField)) return;
    try {
        HandleScope handles;
        CAdoDatabase* db = nullptr;
        CAdoRecordset* rs = OpenExamColumns(handles, config, db);
        const std::string column =
            g_bOracleSyntax ? TranslateFieldName(config.m_strDbField) : config.m_strDbField;
        const bool present = HasColumn(rs, column);
        handles.Close(rs);
        if (!present) {
            rs = handles.NewRecordset("echorec", db);
            OpenRecordset(rs,
                          "ALTER TABLE EXAM ADD COLUMN [" + config.m_strDbField + "] Text(255)");
            handles.Close(rs);
        }
        handles.Close(db);
    } catch (const CCVAException&) {
        // Nothing to tell: the selection that follows reports an unreachable database.
    }
}

std::vector<std::string> ListExamColumns(const ArchiverConfig& config) {
    std::vector<std::string> names;
    try {
        HandleScope handles;
        CAdoDatabase* db = nullptr;
        CAdoRecordset* rs = OpenExamColumns(handles, config, db);
        const int count = GetFieldCount(rs);
        for (int i = 0; i < count; ++i) {
            std::string name = GetFieldName(rs, i);
            if (!ArchiveColumnRefusal(name)) names.push_back(std::move(name));
        }
        handles.Close(rs);
        handles.Close(db);
    } catch (const CCVAException&) {
        // The combo box keeps what was added.
    }
    return names;
}

bool ExamHasArchiveColumn(const ArchiverConfig& config) {
    const std::vector<std::string> columns = ListExamColumns(config);
    return std::any_of(columns.begin(), columns.end(), [&](const std::string& column) {
        return EqualIgnoringCase(column, config.m_strDbField);
    });
}

}  // namespace mirabel
