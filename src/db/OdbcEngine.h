#pragma once
// The ODBC engine (unixODBC on Linux, the driver manager on Windows): server databases of the
// SQL Server and Oracle kinds, and Access files that are not SQLite databases.
#include <memory>
#include <string>

#include "db/DbEngine.h"

namespace mirabel {

// Connects with a complete ODBC connection string. Throws DbFailure with the driver's text.
std::unique_ptr<DbConnection> OpenOdbcDatabase(const std::string& connectionString);

// True when the driver manager knows a data source of that name (user or system DSN).
bool OdbcDataSourceExists(const std::string& name);

// The variant type of a column of the given ODBC SQL type (SQL_INTEGER, ...).
std::uint16_t OdbcVariantType(int sqlType);

// The value of a column of that SQL type, fetched as text (binary columns as raw bytes).
Variant OdbcTextToVariant(int sqlType, std::string text);

}  // namespace mirabel
