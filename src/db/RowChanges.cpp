// Changes of single rows that go straight to the connection rather than through a recordset:
// no statement reads while the change waits for the database's write lock.
#include "db/DatabaseLayer.h"
#include "db/DialectTranslation.h"
#include "db/LayerFailure.h"

namespace mirabel {

namespace {

DbConnection& RequireConnection(CAdoDatabase* db) {
    if (db == nullptr || !db->connection) throw DbFailure(kObjectClosedText);
    return *db->connection;
}

}  // namespace

long SetRowField(CAdoDatabase* db, const std::string& table, const std::string& keyColumn,
                 const std::string& key, std::string field, const std::string& value) {
    std::string statement =
        "UPDATE " + table + " SET [" + field + "] = ? WHERE " + keyColumn + " = " + key;
    statement = TranslateStatement(std::move(statement), g_bOracleSyntax != 0);
    const long changed = RunLayerOperation([&]() -> long {
        return RequireConnection(db).ChangeOneRow(statement, {BoundValue{value, 0}});
    });
    return g_bDbError ? -1 : changed;
}

void ProveRowWritable(CAdoDatabase* db, const std::string& table, const std::string& keyColumn,
                      const std::string& key, std::string field) {
    if (g_bOracleSyntax) field = TranslateFieldName(std::move(field));
    RunLayerOperation([&] {
        RequireConnection(db).ProveRowWritable(RowProbe{table, keyColumn, key, field});
    });
}

}  // namespace mirabel
