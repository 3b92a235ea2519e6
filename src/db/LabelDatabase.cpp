#include "db/LabelDatabase.h"

#include <vector>

#include "core/CCVAException.h"
#include "db/DatabaseLayer.h"
#include "db/DialectTranslation.h"
#include "db/HandleScope.h"

namespace mirabel {

namespace {

constexpr int kMaxLabelRows = 100000;

// "labels" connected to the label file and "labelrec" opened on the statement, in the scope.
CAdoRecordset* OpenLabels(HandleScope& handles, const std::string& statement, CAdoDatabase*& db) {
    db = handles.NewDatabase("labels");
    OpenAccessDatabase(db, kLabelDatabaseFile, "");
    if (g_bDbError) throw CCVAException("database error");
    SetQueryTimeout(db, kSideDatabaseQueryTimeoutSeconds);
    CAdoRecordset* rs = handles.NewRecordset("labelrec", db);
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
        HandleScope handles;
        CAdoDatabase* db = nullptr;
        CAdoRecordset* rs = OpenLabels(
            handles, "SELECT * FROM Labels WHERE Labels.Label = " + QuotedSqlText(label), db);
        std::vector<std::string> found;
        GetColumn(rs, "Label", found, kMaxLabelRows);
        handles.Close(rs);
        handles.Close(db);
        return found.empty() ? 0 : 1;
    } catch (const CCVAException&) {
        return 0;  // the layer has logged why
    }
}

int AddLabel(const std::string& label) {
    try {
        HandleScope handles;
        CAdoDatabase* db = nullptr;
        CAdoRecordset* rs = OpenLabels(handles, "SELECT * FROM Labels", db);
        AddNew(rs);
        SetFieldValue(rs, "Label", label);
        Update(rs);
        handles.Close(rs);
        handles.Close(db);
        return 1;
    } catch (const CCVAException&) {
        return 0;
    }
}

}  // namespace mirabel
