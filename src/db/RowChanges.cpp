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
    const std::vector<long> changed = SetRowFields(db, table, keyColumn, field, {{key, value}});
    return changed.empty() ? -1 : changed.front();
}

std::vector<long> SetRowFields(CAdoDatabase* db, const std::string& table,
                               const std::string& keyColumn, const std::string& field,
                               const std::vector<std::pair<std::string, std::string>>& values) {
    std::vector<RowChange> changes;
    for (const auto& [key, value] : values)
        changes.push_back({TranslateStatement("UPDATE " + table + " SET [" + field +
                                                  "] = ? WHERE " + keyColumn + " = " + key,
                                              g_bOracleSyntax != 0),
                           {BoundValue{value, 0}}});
    std::vector<long> changed;
    RunLayerOperation([&] { changed = RequireConnection(db).ChangeRows(changes); });
    return g_bDbError ? std::vector<long>() : changed;
}

void ProveRowWritable(CAdoDatabase* db, const std::string& table, const std::string& keyColumn,
                      const std::string& key, std::string field) {
    if (g_bOracleSyntax) field = TranslateFieldName(std::move(field));
    RunLayerOperation([&] {
        RequireConnection(db).ProveRowWritable(RowProbe{table, keyColumn, key, field});
    });
}

}  // namespace mirabel
