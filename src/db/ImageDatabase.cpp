#include "db/ImageDatabase.h"

namespace mirabel {

void ConnectImageDatabase(CAdoDatabase* db, const ArchiverConfig& config) {
    if (config.m_strDbType == "JET")
        OpenAccessDatabase(db, config.m_strDatabaseFile, config.m_strDatabasePassword);
    else if (config.m_strDbType == "SQL")
        OpenSqlServerDatabase(db, config.m_strSqlServer, config.m_strSqlDb, config.m_strSqlUser,
                              config.m_strSqlPassword);
    else
        OpenOracleDatabase(db, config.m_strSqlServer, config.m_strSqlUser, config.m_strSqlPassword);
}

CAdoDatabase* OpenImageDatabase(HandleScope& handles, const std::string& handleName,
                                const ArchiverConfig& config) {
    CAdoDatabase* db = handles.NewDatabase(handleName);
    ConnectImageDatabase(db, config);
    return g_bDbError ? nullptr : db;
}

bool ConnectionValuesPresent(const ArchiverConfig& c) {
    if (c.m_strDbType == "JET") return !c.m_strDatabaseFile.empty();
    if (c.m_strDbType == "SQL")
        return !c.m_strSqlServer.empty() && !c.m_strSqlDb.empty() && !c.m_strSqlUser.empty();
    if (c.m_strDbType == "ORACLE")
        return !c.m_strSqlServer.empty() && !c.m_strSqlUser.empty() && !c.m_strSqlPassword.empty();
    return true;
}

std::string MaskedPassword(const std::string& password) {
    return password.empty() ? "" : "****";
}

}  // namespace mirabel
