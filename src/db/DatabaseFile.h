#pragma once
// An Access database file: one that is a SQLite database is opened by the embedded engine, any
// other through the ODBC Access driver. Throws DbFailure when the file is missing or refused.
#include <memory>
#include <string>

#include "db/DbEngine.h"

namespace mirabel {

std::unique_ptr<DbConnection> OpenDatabaseFile(const std::string& file,
                                               const std::string& password);

}  // namespace mirabel
