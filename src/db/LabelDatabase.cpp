#include "db/LabelDatabase.h"

#include <vector>

#include "db/CCVAException.h"
#include "db/DatabaseLayer.h"
#include "db/DialectTranslation.h"

namespace mirabel {

namespace {

constexpr int kMaxLabelRows = 100000;

// "labels" connected to the label file and "labelrec" opened on the statement.
CAdoRecordset* OpenLabels(const std::string& statement, CAdoDatabase*& db) {
    GetNewDatabase("labels");
    db = FindConnection("labels");
    OpenAccessDatabase(db, kLabelDatabaseFile, "");
    if (g_bDbError) throw CCVAException("database error");
    CAdoRecordset* rs = GetNewRecordset("labelrec", db);
    if (g_bDbError) throw CCVAException("database error");
    OpenRecordset(rs, statement);
    if (g_bDbError) throw CCVAException("database error");
    return rs;
}

}  // namespace

std::string QuotedSqlText(const std::string& text) {
    std::string quoted = text;
    ReplaceAll(quoted, "'", "''");
    return "'" + quoted + "'";
}

int LabelExists(const std::string& label) {
    try {
        CAdoDatabase* db = nullptr;
        CAdoRecordset* rs =
            OpenLabels("SELECT * FROM Labels WHERE Labels.Label = " + QuotedSqlText(label), db);
        std::vector<std::string> found;
        GetColumn(rs, "Label", found, kMaxLabelRows);
        CloseRecordset(rs);
        CloseDatabase(db);
        return found.empty() ? 0 : 1;
    } catch (const CCVAException&) {
        return 0;  // the layer has logged why
    }
}

int AddLabel(const std::string& label) {
    try {
        CAdoDatabase* db = nullptr;
        CAdoRecordset* rs = OpenLabels("SELECT * FROM Labels", db);
        AddNew(rs);
        SetFieldValue(rs, "Label", label);
        Update(rs);
        CloseRecordset(rs);
        CloseDatabase(db);
        return 1;
    } catch (const CCVAException&) {
        return 0;
    }
}

}  // namespace mirabel
