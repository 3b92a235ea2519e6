#pragma once
// The connection layer: free functions over named connection and recordset handles kept in two
// process-wide registries. Every value is read as text (VariantToString). No operation throws:
// a failure sets g_bDbError and writes one line to the error log; the caller tests the flag.
//
// Calling order of every user: GetNewDatabase(name); FindConnection(name); one of the three
// Open...Database calls; test g_bDbError; GetNewRecordset(name, connection); test;
// OpenRecordset; test; read, or MoveToRow/AddNew + SetFieldValue + Update; CloseRecordset;
// CloseDatabase.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "db/DbEngine.h"

namespace mirabel {

struct CAdoRecordset;

// A connection handle. Connected by one of the Open...Database calls.
struct CAdoDatabase {
    std::string name;
    int kind = 0;
    std::unique_ptr<DbConnection> connection;
    // The primary key of each table an Update changed, asked of the engine once a connection:
    // a connection that changes one row after another would otherwise ask before each.
    std::map<std::string, std::vector<std::string>> primaryKeys;
};

// A recordset handle: a statement opened on its owner's connection, with a current row.
struct CAdoRecordset {
    std::string name;
    int kind = 1;
    CAdoDatabase* owner = nullptr;  // not owned; cleared when the owner is destroyed

    bool opened = false;               // the last OpenRecordset succeeded
    std::unique_ptr<DbCursor> cursor;  // null for a statement that returned no rows
    std::string statement;             // as opened (translated)
    long position = 0;                 // index of the current row
    bool eof = true;
    bool noRows = true;  // BOF and EOF both: the statement returned no rows

    bool adding = false;                                     // AddNew was called and Update not yet
    std::vector<std::pair<int, std::string>> pendingValues;  // column index, new value
};

// Process-wide state. The registries own their handles; the close operations destroy them.
extern std::vector<std::unique_ptr<CAdoDatabase>>& g_Databases;
extern std::vector<std::unique_ptr<CAdoRecordset>>& g_Recordsets;
extern int g_bDbError;                 // 1 when the last operation failed
extern unsigned char g_bOracleSyntax;  // dialect of the most recent connect call

// Destroys every handle and clears both flags (tests; the program never needs it).
void ResetDatabaseLayer();

// Replaces any handle of that name with a new, unconnected one.
void GetNewDatabase(std::string name);
// The first connection handle of that name, or null. Leaves g_bDbError alone.
CAdoDatabase* FindConnection(std::string name);

// An Access database file: a SQLite database is opened by the embedded engine, any other file
// through the ODBC Access driver. Oracle syntax off.
void OpenAccessDatabase(CAdoDatabase* db, std::string file, std::string password);
// A SQL Server database through ODBC. Oracle syntax off.
void OpenSqlServerDatabase(CAdoDatabase* db, std::string server, std::string database,
                           std::string user, std::string password);
// An Oracle data source through ODBC. Oracle syntax on.
void OpenOracleDatabase(CAdoDatabase* db, std::string dataSource, std::string user,
                        std::string password);

// How long statements on the connected handle may wait (the connection's command timeout).
void SetQueryTimeout(CAdoDatabase* db, int seconds);
// Tells the connected handle that many small changes follow, each committed on its own, so that
// the engine may make those commits cheaper without making them less durable.
void ExpectManyCommits(CAdoDatabase* db);

// Replaces any recordset handle of that name with a new one on the given connection.
CAdoRecordset* GetNewRecordset(std::string name, CAdoDatabase* db);

// Translates and opens the statement; on failure retries once with '#' turned into quotes.
// Only sets g_bDbError (never clears it); logs "statement : failure" after the retry failed.
void OpenRecordset(CAdoRecordset* rs, std::string statement);

// Reads up to maxRows rows from the first, the named fields of each in order (row-major);
// NULL reads as "". Returns the number of rows read.
int GetRows(CAdoRecordset* rs, const std::vector<std::string>& fields,
            std::vector<std::string>& output, int maxRows);
// The same, one row at a time: `row` receives the named fields of each row in order (it may take
// the strings over) and nothing else is kept, so a large result never sits in memory whole.
// Returns the number of rows handed over; a failure ends the reading there (flagged and logged
// as GetRows does), and the rows handed before it stay handed.
using RowReader = std::function<void(std::vector<std::string>& values)>;
int ForEachRow(CAdoRecordset* rs, const std::vector<std::string>& fields, int maxRows,
               const RowReader& row);
// One field of up to maxRows rows (name through TranslateFieldName under Oracle syntax).
int GetColumn(CAdoRecordset* rs, std::string field, std::vector<std::string>& output, int maxRows);
int GetColumnByIndex(CAdoRecordset* rs, int position, std::vector<std::string>& output,
                     int maxRows);

// The current row's field as text ("NULL" stays "NULL"); "" on failure.
std::string GetFieldValue(CAdoRecordset* rs, int position);
std::string GetFieldName(CAdoRecordset* rs, int position);
int GetFieldCount(CAdoRecordset* rs);

// Makes row `index` (0-based, from the first) the current row.
void MoveToRow(CAdoRecordset* rs, int index);
// Starts a new row; SetFieldValue fills it and Update inserts it.
void AddNew(CAdoRecordset* rs);
// Sets a field of the current (or new) row; stored by Update.
void SetFieldValue(CAdoRecordset* rs, std::string field, std::string value);
// Stores the new row (INSERT) or the changed fields of the current row (UPDATE of that row
// only) into the statement's single table.
void Update(CAdoRecordset* rs);

// Writes value into one column of the row of `table` whose numeric key column equals key, as a
// change of its own that waits for other writers as long as the connection's query timeout
// allows (DbConnection::ChangeOneRow). 1 when written, 0 when there is no such row, -1 on
// failure (g_bDbError set, the reason logged).
long SetRowField(CAdoDatabase* db, const std::string& table, const std::string& keyColumn,
                 const std::string& key, std::string field, const std::string& value);
// The same for several rows in one transaction (DbConnection::ChangeRows): for each key and
// value, 1 when written, 0 when there is no such row; empty on failure (nothing written,
// g_bDbError set, the reason logged).
std::vector<long> SetRowFields(CAdoDatabase* db, const std::string& table,
                               const std::string& keyColumn, const std::string& field,
                               const std::vector<std::pair<std::string, std::string>>& values);
// Proves, without changing anything, that such a row's field could be written now
// (DbConnection::ProveRowWritable). Sets g_bDbError (the reason logged) when it could not.
void ProveRowWritable(CAdoDatabase* db, const std::string& table, const std::string& keyColumn,
                      const std::string& key, std::string field);

// The text of the layer's last reported failure ("" before the first one).
const std::string& LastDbFailureText();

// Unregisters and destroys the recordset handle; one that is not registered is left alone.
void CloseRecordset(CAdoRecordset* rs);
// Unregisters and destroys the connection handle (null: nothing).
void CloseDatabase(CAdoDatabase* db);

// The same without a word: for a way out after a failure, which is already flagged and logged.
// Neither g_bDbError nor the error log is touched; a handle that is not registered (or no
// longer has that name) is left alone.
void DiscardRecordset(const CAdoRecordset* rs, const std::string& name) noexcept;
void DiscardDatabase(const CAdoDatabase* db, const std::string& name) noexcept;

// Failure texts of the layer itself (engines report their own).
inline constexpr const char* kObjectClosedText =
    "Operation is not allowed when the object is closed.";
inline constexpr const char* kNoCurrentRowText =
    "Either BOF or EOF is True, or the current record has been deleted. Requested operation "
    "requires a current record.";
inline constexpr const char* kItemNotFoundText =
    "Item cannot be found in the collection corresponding to the requested name or ordinal.";
inline constexpr const char* kRowNotFoundText =
    "Row cannot be located for updating. Some values may have been changed since it was last "
    "read.";

}  // namespace mirabel
