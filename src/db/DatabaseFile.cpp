#include "db/DatabaseFile.h"

#include <filesystem>

#include "db/OdbcConnectionStrings.h"
#include "db/OdbcEngine.h"
#include "db/SqliteEngine.h"

namespace mirabel {

// The Access driver reports a missing file itself on Windows; here it is said before any driver
// is asked, in the driver's words.
std::unique_ptr<DbConnection> OpenDatabaseFile(const std::string& file,
                                               const std::string& password) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        throw DbFailure("Could not find file '" + file + "'.");
    if (IsSqliteFile(file)) return OpenSqliteDatabase(file);
    return OpenOdbcDatabase(AccessConnectionString(file, password));
}

}  // namespace mirabel
