#pragma once
// The image system's database as the main window's settings describe it.
#include <string>
#include <vector>

#include "core/ArchiverConfig.h"
#include "db/DatabaseError.h"
#include "db/DatabaseLayer.h"
#include "db/HandleScope.h"

namespace mirabel {

// Connects the handle by the database kind: Jet an Access (or SQLite) file, SqlServer a SQL
// Server database, Oracle (and an unknown kind) an Oracle data source. Sets g_bDbError on failure.
void ConnectImageDatabase(CAdoDatabase* db, const ArchiverConfig& config);

// A new handle of that name in the scope, connected; the handle, or null when the connection
// failed (the failure is logged by the layer).
[[nodiscard]] CAdoDatabase* OpenImageDatabase(HandleScope& handles, const std::string& handleName,
                                              const ArchiverConfig& config);

// A statement opened on the image database: "corvana" and its recordset "echorec".
struct ImageStatement {
    CAdoDatabase* db = nullptr;
    CAdoRecordset* rs = nullptr;
};

// Connects "corvana" and opens "echorec" on the statement, both held by the scope. Throws
// DatabaseError at the first step that fails.
ImageStatement OpenImageStatement(HandleScope& handles, const ArchiverConfig& config,
                                  const std::string& statement);
// Closes the recordset, then the connection, through the scope.
void CloseImageStatement(HandleScope& handles, const ImageStatement& statement);

// The named fields of every row of the statement on the image database, one row at a time
// (Oracle's field names translated), at most maxRows rows: nothing of the result is held but what
// `row` keeps. Throws DatabaseError when a step fails.
void ForEachImageRow(const ArchiverConfig& config, const std::string& statement,
                     std::vector<std::string> fields, int maxRows, const RowReader& row);

// True for the kind whose connection values are all present; the study selection does not
// even try an Access file with no name, nor a server without its names.
bool ConnectionValuesPresent(const ArchiverConfig& config);

// Stands in for a password in anything that is logged: "****" unless it is empty.
std::string MaskedPassword(const std::string& password);

}  // namespace mirabel
