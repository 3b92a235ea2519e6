#pragma once
// The embedded engine: an Access "database file" that is in fact a SQLite database. It takes
// the Access forms SQLite lacks (#MM/DD/YYYY HH:MM# date literals) and reports columns declared
// DATE, DATETIME, TIME or TIMESTAMP as dates; dates are stored as ISO "YYYY-MM-DD HH:MM:SS"
// text so that comparison and ORDER BY are chronological.
#include <filesystem>
#include <memory>
#include <string>

#include "db/DbEngine.h"

namespace mirabel {

// True when the file starts with the 16-byte SQLite header "SQLite format 3\0".
bool IsSqliteFile(const std::filesystem::path& file);

// Opens an existing database file for reading and writing (never creates one).
// Throws DbFailure when it cannot be opened.
std::unique_ptr<DbConnection> OpenSqliteDatabase(const std::filesystem::path& file);

// #03/07/2004 14:05# -> '2004-03-07 14:05:00'. Number signs around anything that is not a
// date are left alone.
std::string RewriteAccessDateLiterals(const std::string& statement);

// The variant type of a stored value: by its storage class (SQLITE_INTEGER, ...) and the
// column's declared type (may be null for computed columns).
std::uint16_t SqliteVariantType(int storageClass, const char* declaredType);

}  // namespace mirabel
