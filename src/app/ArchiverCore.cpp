#include "app/ArchiverCore.h"

#include "app/AppPaths.h"
#include "archive/ArchiveRun.h"
#include "archive/RunState.h"
#include "archive/ScheduleRule.h"
#include "config/ArchiveDestination.h"
#include "config/ArchiveListFile.h"
#include "config/CurrentArchiveFile.h"
#include "db/OdbcConnectionStrings.h"
#include "db/StudySelection.h"

namespace mirabel {

ArchiverCore* g_pMainCore = nullptr;

namespace {
constexpr const char* kDatabase = "Database";
constexpr const char* kArchive = "Archive";
}  // namespace

ArchiverCore::ArchiverCore(RegistryHive& hive)
    : store_(hive, [this] { return m_strCurrentArchive; }) {
    g_pMainCore = this;
}

ArchiverCore::~ArchiverCore() {
    if (g_pMainCore == this) g_pMainCore = nullptr;
}

std::string ArchiverCore::GetSetting(std::string section, std::string key,
                                     std::string defaultValue) const {
    return store_.GetSetting(std::move(section), std::move(key), std::move(defaultValue));
}

bool ArchiverCore::SetSetting(std::string section, std::string key, std::string value) {
    return store_.SetSetting(std::move(section), std::move(key), std::move(value));
}

void ArchiverCore::LoadInitialSettings() {
    // m_strCurrentArchive is still empty: these come from directly under the product key.
    LoadDatabaseSettings();
    LoadCountSettings();
    LoadScheduleTimes();
    m_strStatus = "No Studies To Archive!!";
    m_strDbField.clear();
    m_bReside = m_bPrelim = m_bMaxStudies = m_bFinal = false;
    m_nIncrement = 1;
    m_bIncrementMode = false;
    InitAppPaths();
}

void ArchiverCore::LoadDatabaseSettings() {
    m_strDbType = GetSetting(kDatabase, "DB_Type", "JET");
    m_strDatabaseFile = GetSetting(kDatabase, "Database File", "");
    m_strImagePath = GetSetting(kDatabase, "Image Path", "");
    m_strDatabasePassword = GetSetting(kDatabase, "Database Password", "");
    m_strSqlDb = GetSetting(kDatabase, "SQL_DB", "");
    m_strSqlPassword = GetSetting(kDatabase, "SQL_Password", "");
    m_strSqlServer = GetSetting(kDatabase, "SQL_Server", "");
    m_strSqlUser = GetSetting(kDatabase, "SQL_User", "");
    LoadOdbcDriverNames();
}

void ArchiverCore::LoadCountSettings() {
    m_nDaysBeforeArchive = SettingToInt(GetSetting(kArchive, "Days Before Archive", "0"));
    m_nMaxStudies = SettingToInt(GetSetting(kArchive, "Max Studies", "500"));
}

void ArchiverCore::LoadScheduleTimes() {
    m_strStartTime = GetSetting(kArchive, "StartTime", "None");
    m_strStopTime = GetSetting(kArchive, "StopTime", "None");
}

bool ArchiverCore::ReadCurrentArchiveFile() {
    std::string id;
    switch (ReadOrCreateCurrentArchiveFile(id)) {
        case CurrentArchiveFileResult::Read:
            if (!id.empty()) m_strCurrentArchive = id;
            return true;
        case CurrentArchiveFileResult::Created:
            return true;
        case CurrentArchiveFileResult::Failed:
            return false;
    }
    return false;
}

std::vector<std::string> ArchiverCore::ReadDestinationList() {
    // A missing or unreadable list is an empty one: the program starts without destinations.
    (void)ReadArchiveList(g_strArchivesFile);
    return DestinationIds();
}

std::vector<std::string> ArchiverCore::DestinationIds() {
    std::vector<std::string> ids;
    for (const auto& destination : g_Archives) ids.push_back(destination->m_strId);
    return ids;
}

void ArchiverCore::SelectArchive(const std::string& id) {
    m_strCurrentArchive = id;
    WriteCurrentArchiveFile(m_strCurrentArchive);
    LoadArchiveSettings();
    FindCurrentArchive();
}

void ArchiverCore::FindCurrentArchive() {
    g_pCurrentArchive = FindArchive(m_strCurrentArchive);
}

void ArchiverCore::LoadArchiveSettings() {
    m_bReplicate = SettingIsTrue(GetSetting(kArchive, "ReplicateMethod", "TRUE"));
    m_strDbField = GetSetting(kArchive, "DBField", "ARCHIVE_PATH");
    LoadDatabaseSettings();
    m_nIncrement = SettingToInt(GetSetting(kArchive, "Increment", "1"));
    LoadScheduleTimes();
    m_bIncrementMode = SettingIsTrue(GetSetting(kArchive, "IncrementMode", "FALSE"));
    LoadCountSettings();
    m_bSendAll = SettingIsTrue(GetSetting(kArchive, "SendAll", "TRUE"));
    m_bPrelim = SettingIsTrue(GetSetting(kArchive, "Prelim", "FALSE"));
    m_bFinal = SettingIsTrue(GetSetting(kArchive, "Final", "FALSE"));
    m_bReside = SettingIsTrue(GetSetting(kArchive, "Reside", "FALSE"));
    m_bMaxStudies = SettingIsTrue(GetSetting(kArchive, "MaxStudies", "FALSE"));
}

void ArchiverCore::LoadOdbcDriverNames() {
    const OdbcDriverNames defaults;
    g_OdbcDriverNames.access = GetSetting(kDatabase, kAccessDriverSetting, defaults.access);
    g_OdbcDriverNames.sqlServer =
        GetSetting(kDatabase, kSqlServerDriverSetting, defaults.sqlServer);
    g_OdbcDriverNames.oracle = GetSetting(kDatabase, kOracleDriverSetting, defaults.oracle);
}

std::string ArchiverCore::Caption() const {
    return m_strCurrentArchive.empty() ? m_strTitle : m_strTitle + " : " + m_strCurrentArchive;
}

bool ArchiverCore::SaveArchiveList() const {
    return WriteArchiveList(g_strArchivesFile);
}

void ArchiverCore::GetStudyList() {
    mirabel::GetStudyList(*this);
}

void ArchiverCore::CountStudiesAtStartUp() {
    GetStudyList();
    if (!g_StudyList.empty()) m_strStatus = StudyCountStatus();
}

void ArchiverCore::RefreshStudyCount() {
    GetStudyList();
    m_strStatus = StudyCountStatus();
}

void ArchiverCore::RunArchive() {
    mirabel::RunArchive(*this);
}

bool ArchiverCore::RunIsDue(int hour, int minute) const {
    return IsRunDue(m_bIncrementMode, m_strStartTime, hour, minute);
}

bool ArchiverCore::RunInProgress() {
    return g_pProgressDlg != nullptr;
}

void ArchiverCore::StoreText(const char* section, const char* key, const std::string& value) {
    // A setting that cannot be stored is not reported: the window keeps showing the value and
    // the run uses it; only the next start does not see it.
    (void)SetSetting(section, key, value);
}

void ArchiverCore::StoreBool(const char* section, const char* key, bool value) {
    StoreText(section, key, BoolToSetting(value));
}

void ArchiverCore::StoreInt(const char* section, const char* key, int value) {
    StoreText(section, key, IntToSetting(value));
}

}  // namespace mirabel
