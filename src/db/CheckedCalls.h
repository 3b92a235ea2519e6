#pragma once
// The connection layer's calls for callers above it: each runs the layer's call of the same
// name and throws DatabaseError when that call failed, so a caller reads no flag and a failure
// cannot pass unnoticed into the next call. Each fails on its own call alone, never on a failure
// before it. The layer has logged the reason by then; the handles stay with their scope.
#include <string>
#include <vector>

#include "core/ArchiverConfig.h"
#include "db/DatabaseError.h"
#include "db/DatabaseLayer.h"
#include "db/HandleScope.h"

namespace mirabel::checked {

// A new handle of that name in the scope, connected to the image database as the main
// window's settings describe it.
CAdoDatabase* ConnectImage(HandleScope& handles, const std::string& name,
                           const ArchiverConfig& config);
void ExpectManyCommits(CAdoDatabase* db);

void OpenRecordset(CAdoRecordset* rs, const std::string& statement);

// The output holds the rows read before a failure, as the layer leaves it.
int GetRows(CAdoRecordset* rs, const std::vector<std::string>& fields,
            std::vector<std::string>& output, int maxRows);
// Every row, one at a time (nothing kept but what `row` keeps): for results of any size.
int ForEachRow(CAdoRecordset* rs, const std::vector<std::string>& fields, int maxRows,
               const RowReader& row);
int GetColumnByIndex(CAdoRecordset* rs, int position, std::vector<std::string>& output,
                     int maxRows);
void MoveToRow(CAdoRecordset* rs, int index);
int GetFieldCount(CAdoRecordset* rs);
std::string GetFieldValue(CAdoRecordset* rs, int position);
std::string GetFieldName(CAdoRecordset* rs, int position);

// 1 when written, 0 when there is no such row.
long SetRowField(CAdoDatabase* db, const std::string& table, const std::string& keyColumn,
                 const std::string& key, const std::string& field, const std::string& value);
std::vector<long> SetRowFields(CAdoDatabase* db, const std::string& table,
                               const std::string& keyColumn, const std::string& field,
                               const std::vector<std::pair<std::string, std::string>>& values);
void ProveRowWritable(CAdoDatabase* db, const std::string& table, const std::string& keyColumn,
                      const std::string& key, const std::string& field);

}  // namespace mirabel::checked
