#include "db/ImageDatabase.h"

#include "db/CheckedCalls.h"
#include "db/DialectTranslation.h"

namespace mirabel {

void ConnectImageDatabase(CAdoDatabase* db, const ArchiverConfig& config) {
    switch (config.DbKind()) {
        case DatabaseKind::Jet:
            OpenAccessDatabase(db, config.m_strDatabaseFile, config.m_strDatabasePassword);
            break;
        case DatabaseKind::SqlServer:
            OpenSqlServerDatabase(db, config.m_strSqlServer, config.m_strSqlDb, config.m_strSqlUser,
                                  config.m_strSqlPassword);
            break;
        case DatabaseKind::Oracle:
        case DatabaseKind::Unknown:
            OpenOracleDatabase(db, config.m_strSqlServer, config.m_strSqlUser,
                               config.m_strSqlPassword);
            break;
    }
}

CAdoDatabase* OpenImageDatabase(HandleScope& handles, const std::string& handleName,
                                const ArchiverConfig& config) {
    CAdoDatabase* db = handles.NewDatabase(handleName);
    ConnectImageDatabase(db, config);
    return g_bDbError ? nullptr : db;
}

ImageStatement OpenImageStatement(HandleScope& handles, const ArchiverConfig& config,
                                  const std::string& statement) {
    ImageStatement opened;
    opened.db = checked::ConnectImage(handles, "corvana", config);
    opened.rs = handles.NewRecordset("echorec", opened.db);
    checked::OpenRecordset(opened.rs, statement);
    return opened;
}

void CloseImageStatement(HandleScope& handles, const ImageStatement& statement) {
    handles.Close(statement.rs);
    handles.Close(statement.db);
}

void ForEachImageRow(const ArchiverConfig& config, const std::string& statement,
                     std::vector<std::string> fields, int maxRows, const RowReader& row) {
    HandleScope handles;
    const ImageStatement opened = OpenImageStatement(handles, config, statement);
    if (g_bOracleSyntax)
        for (std::string& field : fields) field = TranslateFieldName(std::move(field));
    checked::ForEachRow(opened.rs, fields, maxRows, row);
    CloseImageStatement(handles, opened);
}

bool ConnectionValuesPresent(const ArchiverConfig& c) {
    switch (c.DbKind()) {
        case DatabaseKind::Jet:
            return !c.m_strDatabaseFile.empty();
        case DatabaseKind::SqlServer:
            return !c.m_strSqlServer.empty() && !c.m_strSqlDb.empty() && !c.m_strSqlUser.empty();
        case DatabaseKind::Oracle:
            return !c.m_strSqlServer.empty() && !c.m_strSqlUser.empty() &&
                   !c.m_strSqlPassword.empty();
        case DatabaseKind::Unknown:
            break;
    }
    return true;
}

std::string MaskedPassword(const std::string& password) {
    return password.empty() ? "" : "****";
}

}  // namespace mirabel
