#pragma once
// The main window's configuration: database kind and connection fields, image path, archive
// column, criteria, method and schedule. The main window's core holds one; the selection,
// the archive run and the scheduler read it.
#include <string>

namespace mirabel {

struct ArchiverConfig {
    bool m_bActive = true;            // the main window is the active window
    bool m_bReplicate = true;         // method: Replicate (true) or Archive (false)
    bool m_bSendAll = true;           // send all unarchived studies (criteria off)
    bool m_bIncrementMode = false;    // the scheduler runs on every tick
    std::string m_strCurrentArchive;  // id of the selected destination ("" = none)
    std::string m_strTitle;           // caption as loaded from the window resource
    std::string m_strDatabaseFile;    // Access/JET (or SQLite) database file
    std::string m_strImagePath;       // root folder of the study images
    int m_nMaxStudies = 500;
    int m_nDaysBeforeArchive = 0;
    std::string m_strStartTime = "None";
    std::string m_strStopTime = "None";
    std::string m_strStatus = "No Studies To Archive!!";
    std::string m_strDatabasePassword;
    std::string m_strSqlServer;
    std::string m_strSqlUser;
    std::string m_strSqlPassword;
    std::string m_strSqlDb;
    std::string m_strDbType = "JET";  // "JET", "SQL" or "ORACLE"
    std::string m_strDbField;         // EXAM column that receives the archive id
    bool m_bReside = false;           // only studies older than m_nDaysBeforeArchive days
    bool m_bPrelim = false;           // only studies with preliminary reports
    bool m_bMaxStudies = false;       // at most m_nMaxStudies studies
    bool m_bFinal = false;            // only studies with finalized reports
    int m_nIncrement = 1;             // timer period, minutes
};

}  // namespace mirabel
