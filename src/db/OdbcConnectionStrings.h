#pragma once
// ODBC connection strings for the three database kinds. A data source name that the driver
// manager knows is used as DSN=; otherwise the driver named by the settings below is used
// with the server's address. A value that holds ';', '{', '}' or an outer blank is
// brace-quoted, so such a password is data; other values stay plain, because several drivers
// (psqlODBC for user and server names, the SQLite driver for every key) take braces literally.
#include <string>

namespace mirabel {

// The ODBC driver names, from optional settings under "Database"; the main window loads
// them at start-up. The defaults are the names the drivers register under on Debian and Windows.
struct OdbcDriverNames {
    std::string access = "Microsoft Access Driver (*.mdb)";
    std::string sqlServer = "FreeTDS";
    std::string oracle = "Oracle";
};
inline constexpr const char* kAccessDriverSetting = "ODBC Access Driver";
inline constexpr const char* kSqlServerDriverSetting = "ODBC SQL Server Driver";
inline constexpr const char* kOracleDriverSetting = "ODBC Oracle Driver";

extern OdbcDriverNames g_OdbcDriverNames;

// The value as it can stand in a connection string: as it is when that is safe, otherwise
// {value} with every '}' doubled.
std::string QuoteConnectionValue(const std::string& value);

// An Access file (not a SQLite database) through the Access driver.
std::string AccessConnectionString(const std::string& file, const std::string& password);

// SQL Server: the server is a DSN, or "host", "host,port" or "host\instance".
std::string SqlServerConnectionString(const std::string& server, const std::string& database,
                                      const std::string& user, const std::string& password,
                                      bool serverIsDataSourceName);

// Oracle: the data source is a DSN or a net service name (TNS).
std::string OracleConnectionString(const std::string& dataSource, const std::string& user,
                                   const std::string& password, bool dataSourceIsDsn);

}  // namespace mirabel
