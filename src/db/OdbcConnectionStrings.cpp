#include "db/OdbcConnectionStrings.h"

namespace mirabel {

OdbcDriverNames g_OdbcDriverNames;

namespace {

std::string Pair(const char* key, const std::string& value) {
    return std::string(key) + "=" + QuoteConnectionValue(value) + ";";
}

// The driver manager itself reads the driver's name, braces and all, as every manager does.
std::string Driver(const std::string& name) {
    return "DRIVER={" + name + "};";
}

std::string Credentials(const std::string& user, const std::string& password) {
    return Pair("UID", user) + Pair("PWD", password);
}

// SQL Server names a port after a comma ("host,1433"); ODBC drivers take it separately.
std::string ServerAddress(const std::string& server) {
    const std::size_t comma = server.find(',');
    if (comma == std::string::npos) return Pair("SERVER", server);
    return Pair("SERVER", server.substr(0, comma)) + Pair("PORT", server.substr(comma + 1));
}

}  // namespace

std::string QuoteConnectionValue(const std::string& value) {
    const bool plainIsSafe = value.find_first_of(";{}") == std::string::npos &&
                             (value.empty() || (value.front() != ' ' && value.back() != ' '));
    if (plainIsSafe) return value;
    std::string quoted = "{";
    for (char c : value) {
        quoted += c;
        if (c == '}') quoted += '}';
    }
    return quoted + "}";
}

std::string AccessConnectionString(const std::string& file, const std::string& password) {
    return Driver(g_OdbcDriverNames.access) + Pair("DBQ", file) + Credentials("admin", password);
}

std::string SqlServerConnectionString(const std::string& server, const std::string& database,
                                      const std::string& user, const std::string& password,
                                      bool serverIsDataSourceName) {
    const std::string target = serverIsDataSourceName
                                   ? Pair("DSN", server)
                                   : Driver(g_OdbcDriverNames.sqlServer) + ServerAddress(server);
    return target + Pair("DATABASE", database) + Credentials(user, password);
}

std::string OracleConnectionString(const std::string& dataSource, const std::string& user,
                                   const std::string& password, bool dataSourceIsDsn) {
    const std::string target = dataSourceIsDsn
                                   ? Pair("DSN", dataSource)
                                   : Driver(g_OdbcDriverNames.oracle) + Pair("DBQ", dataSource);
    return target + Credentials(user, password);
}

}  // namespace mirabel
