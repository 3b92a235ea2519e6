#include "db/CheckedCalls.h"

#include <type_traits>

#include "db/ImageDatabase.h"

namespace mirabel::checked {

namespace {

void ThrowOnDatabaseError() {
    if (g_bDbError) throw DatabaseError(LastDbFailureText(), true);
}

// Runs the layer's call and throws when it set the flag. The flag is cleared first: not every
// call clears it on entry (OpenRecordset only ever sets it).
template <typename Call>
auto Checked(Call&& call) {
    g_bDbError = 0;
    if constexpr (std::is_void_v<std::invoke_result_t<Call>>) {
        call();
        ThrowOnDatabaseError();
    } else {
        auto result = call();
        ThrowOnDatabaseError();
        return result;
    }
}

}  // namespace

CAdoDatabase* ConnectImage(HandleScope& handles, const std::string& name,
                           const ArchiverConfig& config) {
    CAdoDatabase* db = handles.NewDatabase(name);
    Checked([&] { ConnectImageDatabase(db, config); });
    return db;
}

void ExpectManyCommits(CAdoDatabase* db) {
    Checked([&] { mirabel::ExpectManyCommits(db); });
}

void OpenRecordset(CAdoRecordset* rs, const std::string& statement) {
    Checked([&] { mirabel::OpenRecordset(rs, statement); });
}

int GetRows(CAdoRecordset* rs, const std::vector<std::string>& fields,
            std::vector<std::string>& output, int maxRows) {
    return Checked([&] { return mirabel::GetRows(rs, fields, output, maxRows); });
}

int ForEachRow(CAdoRecordset* rs, const std::vector<std::string>& fields, int maxRows,
               const RowReader& row) {
    return Checked([&] { return mirabel::ForEachRow(rs, fields, maxRows, row); });
}

int GetColumnByIndex(CAdoRecordset* rs, int position, std::vector<std::string>& output,
                     int maxRows) {
    return Checked([&] { return mirabel::GetColumnByIndex(rs, position, output, maxRows); });
}

void MoveToRow(CAdoRecordset* rs, int index) {
    Checked([&] { mirabel::MoveToRow(rs, index); });
}

int GetFieldCount(CAdoRecordset* rs) {
    return Checked([&] { return mirabel::GetFieldCount(rs); });
}

std::string GetFieldValue(CAdoRecordset* rs, int position) {
    return Checked([&] { return mirabel::GetFieldValue(rs, position); });
}

std::string GetFieldName(CAdoRecordset* rs, int position) {
    return Checked([&] { return mirabel::GetFieldName(rs, position); });
}

long SetRowField(CAdoDatabase* db, const std::string& table, const std::string& keyColumn,
                 const std::string& key, const std::string& field, const std::string& value) {
    return Checked([&] { return mirabel::SetRowField(db, table, keyColumn, key, field, value); });
}

std::vector<long> SetRowFields(CAdoDatabase* db, const std::string& table,
                               const std::string& keyColumn, const std::string& field,
                               const std::vector<std::pair<std::string, std::string>>& values) {
    return Checked([&] { return mirabel::SetRowFields(db, table, keyColumn, field, values); });
}

void ProveRowWritable(CAdoDatabase* db, const std::string& table, const std::string& keyColumn,
                      const std::string& key, const std::string& field) {
    Checked([&] { mirabel::ProveRowWritable(db, table, keyColumn, key, field); });
}

}  // namespace mirabel::checked
