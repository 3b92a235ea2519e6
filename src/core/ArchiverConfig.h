#pragma once
// The main window's configuration: database kind and connection fields, image path, archive
// column, criteria, method and schedule. The main window's core holds one; the selection,
// the archive run and the scheduler read it.
#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace mirabel {

// The kind of the image system's database, from the setting "DB_Type" (m_strDbType): "JET" an
// Access/JET (or SQLite) file, "SQL" SQL Server, "ORACLE" Oracle. Unknown: any other word; it
// is connected as Oracle, but its connection values are never tested.
enum class DatabaseKind { Jet, SqlServer, Oracle, Unknown };

// The words "DB_Type" holds for the known kinds.
inline constexpr std::array<std::pair<DatabaseKind, const char*>, 3> kDbTypeWords{{
    {DatabaseKind::Jet, "JET"},
    {DatabaseKind::SqlServer, "SQL"},
    {DatabaseKind::Oracle, "ORACLE"},
}};

// The kind a "DB_Type" word names, compared exactly; Unknown for any other word.
inline DatabaseKind ParseDatabaseKind(std::string_view dbType) {
    for (const auto& [kind, word] : kDbTypeWords)
        if (dbType == word) return kind;
    return DatabaseKind::Unknown;
}

// The "DB_Type" word of a known kind; empty for Unknown.
inline const char* DbTypeWord(DatabaseKind kind) {
    for (const auto& [known, word] : kDbTypeWords)
        if (known == kind) return word;
    return "";
}

struct ArchiverConfig {
    bool m_bReplicate = true;         // method: Replicate (true) or Archive (false)
    bool m_bSendAll = true;           // send all unarchived studies (criteria off)
    bool m_bIncrementMode = false;    // the scheduler runs on every tick
    std::string m_strCurrentArchive;  // id of the selected destination ("" = none)
    std::string m_strDatabaseFile;    // Access/JET (or SQLite) database file
    std::string m_strImagePath;       // root folder of the study images
    int m_nMaxStudies = 500;
    int m_nDaysBeforeArchive = 0;
    std::string m_strStartTime = "None";
    std::string m_strStopTime = "None";
    std::string m_strDatabasePassword;
    std::string m_strSqlServer;
    std::string m_strSqlUser;
    std::string m_strSqlPassword;
    std::string m_strSqlDb;
    std::string m_strDbType = "JET";  // "JET", "SQL" or "ORACLE", as stored; see DbKind()
    std::string m_strDbField;         // EXAM column that receives the archive id
    bool m_bReside = false;           // only studies older than m_nDaysBeforeArchive days
    bool m_bPrelim = false;           // only studies with preliminary reports
    bool m_bMaxStudies = false;       // at most m_nMaxStudies studies
    bool m_bFinal = false;            // only studies with finalized reports
    int m_nIncrement = 1;             // timer period, minutes

    // The database kind m_strDbType names.
    DatabaseKind DbKind() const { return ParseDatabaseKind(m_strDbType); }
};

}  // namespace mirabel
