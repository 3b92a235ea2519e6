#include "app/ArchiverCore.h"

#include <algorithm>

#include "app/AppPaths.h"
#include "app/DefaultExtension.h"
#include "app/RunEnd.h"
#include "app/WindowRun.h"
#include "archive/ArchiveRun.h"
#include "archive/RunLock.h"
#include "archive/RunState.h"
#include "archive/ScheduleRule.h"
#include "config/ArchiveDestination.h"
#include "config/ArchiveListFile.h"
#include "config/CurrentArchiveFile.h"
#include "core/Operator.h"
#include "core/Text.h"
#include "db/ArchiveColumnRule.h"
#include "db/ImageDatabase.h"
#include "db/OdbcConnectionStrings.h"
#include "db/StudySelection.h"
#include "db/WaitingStudyCount.h"
#include "log/Logs.h"

namespace mirabel {

namespace {

constexpr const char* kDatabase = "Database";
constexpr const char* kArchive = "Archive";
constexpr const char* kDefaultArchiveColumn = "ARCHIVE_PATH";
constexpr const char* kNoTime = "None";
constexpr const char* kRunAlreadyInProgress = "an archive run or a deletion pass is in progress";

const char* CriterionKey(Criterion criterion) {
    switch (criterion) {
        case Criterion::Reside:
            return "Reside";
        case Criterion::Prelim:
            return "Prelim";
        case Criterion::MaxStudies:
            return "MaxStudies";
        case Criterion::Final:
            return "Final";
    }
    return "";
}

std::string TimeForEditing(const std::string& stored) {
    return stored == kNoTime ? "" : stored;
}

std::string StoredTime(const std::string& typed) {
    return typed.empty() ? kNoTime : typed;
}

// The column of EXAM that is name ignoring case, as the column list's search finds it; empty
// when EXAM has none.
std::string ColumnNamed(const std::vector<std::string>& columns, const std::string& name) {
    const auto found = std::ranges::find_if(
        columns, [&name](const std::string& column) { return EqualIgnoringCase(column, name); });
    return found == columns.end() ? std::string() : *found;
}

}  // namespace

ArchiverCore::ArchiverCore(RegistryHive& hive)
    : store_(hive, [this] { return config_.m_strCurrentArchive; }) {}

ArchiverCore::~ArchiverCore() = default;

std::string ArchiverCore::GetSetting(std::string section, std::string key,
                                     std::string defaultValue) const {
    return store_.GetSetting(std::move(section), std::move(key), std::move(defaultValue));
}

bool ArchiverCore::SetSetting(std::string section, std::string key, std::string value) {
    return store_.SetSetting(std::move(section), std::move(key), std::move(value));
}

void ArchiverCore::LoadInitialSettings() {
    // No destination is selected yet: these come from directly under the product key.
    LoadDatabaseSettings();
    LoadCountSettings();
    LoadScheduleTimes();
    window_.m_strStatus = "No Studies To Archive!!";
    config_.m_strDbField.clear();
    config_.m_bReside = config_.m_bPrelim = config_.m_bMaxStudies = config_.m_bFinal = false;
    config_.m_nIncrement = 1;
    config_.m_bIncrementMode = false;
    InitAppPaths();
}

void ArchiverCore::LoadDatabaseSettings() {
    config_.m_strDbType = GetSetting(kDatabase, "DB_Type", "JET");
    config_.m_strDatabaseFile = GetSetting(kDatabase, "Database File", "");
    config_.m_strImagePath = GetSetting(kDatabase, "Image Path", "");
    config_.m_strDatabasePassword = GetSetting(kDatabase, "Database Password", "");
    config_.m_strSqlDb = GetSetting(kDatabase, "SQL_DB", "");
    config_.m_strSqlPassword = GetSetting(kDatabase, "SQL_Password", "");
    config_.m_strSqlServer = GetSetting(kDatabase, "SQL_Server", "");
    config_.m_strSqlUser = GetSetting(kDatabase, "SQL_User", "");
    LoadOdbcDriverNames();
}

void ArchiverCore::LoadCountSettings() {
    config_.m_nDaysBeforeArchive = SettingToInt(GetSetting(kArchive, "Days Before Archive", "0"));
    config_.m_nMaxStudies = SettingToInt(GetSetting(kArchive, "Max Studies", "500"));
}

void ArchiverCore::LoadScheduleTimes() {
    config_.m_strStartTime = GetSetting(kArchive, "StartTime", "None");
    config_.m_strStopTime = GetSetting(kArchive, "StopTime", "None");
}

bool ArchiverCore::ReadCurrentArchiveFile(bool onlyRead) {
    std::string id;
    if (onlyRead) {
        if (!ReadCurrentArchiveFileOnly(id)) return false;
        if (!id.empty()) config_.m_strCurrentArchive = id;
        return true;
    }
    switch (ReadOrCreateCurrentArchiveFile(id)) {
        case CurrentArchiveFileResult::Read:
            if (!id.empty()) config_.m_strCurrentArchive = id;
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
    config_.m_strCurrentArchive = id;
    WriteCurrentArchiveFile(config_.m_strCurrentArchive);
    LoadArchiveSettings();
    FindCurrentArchive();
}

void ArchiverCore::SelectAddedArchive(const std::string& id) {
    config_.m_strCurrentArchive = id;
    if (!store_.HasSection(kDatabase)) StoreDatabaseValues();
    SelectArchive(id);
}

void ArchiverCore::StoreDatabaseValues() {
    const ArchiverConfig& c = config_;
    StoreText(kDatabase, "DB_Type", c.m_strDbType);
    StoreText(kDatabase, "Database File", c.m_strDatabaseFile);
    StoreText(kDatabase, "Image Path", c.m_strImagePath);
    StoreText(kDatabase, "Database Password", c.m_strDatabasePassword);
    StoreText(kDatabase, "SQL_DB", c.m_strSqlDb);
    StoreText(kDatabase, "SQL_Password", c.m_strSqlPassword);
    StoreText(kDatabase, "SQL_Server", c.m_strSqlServer);
    StoreText(kDatabase, "SQL_User", c.m_strSqlUser);
}

void ArchiverCore::FindCurrentArchive() {
    g_pCurrentArchive = FindArchive(config_.m_strCurrentArchive);
}

void ArchiverCore::LoadArchiveSettings() {
    config_.m_bReplicate = SettingIsTrue(GetSetting(kArchive, "ReplicateMethod", "TRUE"));
    // The column of the stored method, so that a headless run uses it as the window does.
    config_.m_strDbField = ArchiveColumnOfMethod(config_.m_bReplicate, StoredArchiveColumn());
    LoadDatabaseSettings();
    config_.m_nIncrement = SettingToInt(GetSetting(kArchive, "Increment", "1"));
    LoadScheduleTimes();
    config_.m_bIncrementMode = SettingIsTrue(GetSetting(kArchive, "IncrementMode", "FALSE"));
    LoadCountSettings();
    config_.m_bSendAll = SettingIsTrue(GetSetting(kArchive, "SendAll", "TRUE"));
    config_.m_bPrelim = SettingIsTrue(GetSetting(kArchive, "Prelim", "FALSE"));
    config_.m_bFinal = SettingIsTrue(GetSetting(kArchive, "Final", "FALSE"));
    config_.m_bReside = SettingIsTrue(GetSetting(kArchive, "Reside", "FALSE"));
    config_.m_bMaxStudies = SettingIsTrue(GetSetting(kArchive, "MaxStudies", "FALSE"));
}

void ArchiverCore::LoadOdbcDriverNames() {
    const OdbcDriverNames defaults;
    g_OdbcDriverNames.access = GetSetting(kDatabase, kAccessDriverSetting, defaults.access);
    g_OdbcDriverNames.sqlServer =
        GetSetting(kDatabase, kSqlServerDriverSetting, defaults.sqlServer);
    g_OdbcDriverNames.oracle = GetSetting(kDatabase, kOracleDriverSetting, defaults.oracle);
}

std::string ArchiverCore::Caption() const {
    const std::string& id = config_.m_strCurrentArchive;
    return id.empty() ? window_.m_strTitle : window_.m_strTitle + " : " + id;
}

void ArchiverCore::SetTitle(const std::string& title) {
    window_.m_strTitle = title;
}

void ArchiverCore::FollowEditedArchive() {
    if (g_pCurrentArchive) config_.m_strCurrentArchive = g_pCurrentArchive->m_strId;
}

bool ArchiverCore::SaveArchiveList() const {
    return WriteArchiveList(g_strArchivesFile);
}

// ---- the controls ---------------------------------------------------------------------------

std::optional<IntegerEdit> ArchiverCore::TakeControlValues(const ControlValues& values) {
    ArchiverConfig& c = config_;
    c.m_strDatabaseFile = values.databaseFile;
    c.m_strImagePath = values.imagePath;
    if (!values.maxStudies) return IntegerEdit::MaxStudies;
    c.m_nMaxStudies = *values.maxStudies;
    if (!values.daysBeforeArchive) return IntegerEdit::DaysBeforeArchive;
    c.m_nDaysBeforeArchive = *values.daysBeforeArchive;
    c.m_strDatabasePassword = values.databasePassword;
    c.m_strSqlServer = values.sqlServer;
    c.m_strSqlUser = values.sqlUser;
    c.m_strSqlPassword = values.sqlPassword;
    c.m_strSqlDb = values.sqlDb;
    c.m_strDbField = values.dbField;
    c.m_bReside = values.reside;
    c.m_bPrelim = values.prelim;
    c.m_bMaxStudies = values.maxStudiesOn;
    c.m_bFinal = values.final;
    if (!values.increment) return IntegerEdit::Increment;
    c.m_nIncrement = *values.increment;
    return std::nullopt;
}

void ArchiverCore::SetActive(bool active) {
    window_.m_bActive = active;
}

bool ArchiverCore::CountIsWatched(bool minimised) const {
    return !minimised && window_.m_bActive;
}

// ---- handlers that store one setting --------------------------------------------------------

void ArchiverCore::StoreDatabaseSetting(const char* key, const std::string& value) {
    StoreText(kDatabase, key, value);
}

void ArchiverCore::ChooseDatabaseKind(DatabaseKind kind) {
    config_.m_strDbType = DbTypeWord(kind);
    StoreText(kDatabase, "DB_Type", config_.m_strDbType);
}

void ArchiverCore::StoreMaxStudiesCount() {
    StoreInt(kArchive, "Max Studies", config_.m_nMaxStudies);
}

void ArchiverCore::StoreDaysBeforeArchive() {
    StoreInt(kArchive, "Days Before Archive", config_.m_nDaysBeforeArchive);
}

void ArchiverCore::ChangeDatabaseFile(const std::string& chosen) {
    const std::string path = WithDefaultExtension(chosen, kDatabaseFileExtension);
    config_.m_strDatabaseFile = path;
    StoreText(kDatabase, "Database File", path);
}

void ArchiverCore::ChangeImagePath(const std::string& path) {
    config_.m_strImagePath = path;
    StoreText(kDatabase, "Image Path", path);
}

// ---- method and criteria --------------------------------------------------------------------

void ArchiverCore::ChooseArchiveMethod() {
    StoreBool(kArchive, "ReplicateMethod", false);
    config_.m_bReplicate = false;
    config_.m_strDbField = kArchiveMethodColumn;
    RefreshStudyCount();
}

std::vector<std::string> ArchiverCore::ChooseReplicateMethod() {
    std::vector<std::string> columns = ArchiveColumnChoices();
    config_.m_strDbField = ColumnNamed(columns, StoredArchiveColumn());
    StoreBool(kArchive, "ReplicateMethod", true);
    config_.m_bReplicate = true;
    RefreshStudyCount();
    return columns;
}

bool ArchiverCore::SettleReplicateColumn(std::string& refusal) {
    if (!config_.m_bReplicate) return true;
    const std::string stored = StoredArchiveColumn();
    // Adding the stored name to EXAM instead would give the table a column nobody chose.
    config_.m_strDbField = ColumnNamed(ArchiveColumnChoices(), stored);
    if (!config_.m_strDbField.empty()) return true;
    refusal = stored.empty() ? "no archive column is set for the Replicate method"
                             : "the archive column \"" + stored +
                                   "\" of the Replicate method is not a column of EXAM that may "
                                   "hold the archive value";
    return false;
}

std::string ArchiverCore::StoredArchiveColumn() const {
    return GetSetting(kArchive, "DBField", kDefaultArchiveColumn);
}

std::vector<std::string> ArchiverCore::ArchiveColumnChoices() const {
    return ListExamColumns(config_);
}

void ArchiverCore::ChooseArchiveColumn(const std::string& column) {
    config_.m_strDbField = column;
    StoreText(kArchive, "DBField", column);
    RefreshStudyCount();
}

void ArchiverCore::SendAllStudies() {
    StoreBool(kArchive, "SendAll", true);
    config_.m_bSendAll = true;
    RefreshStudyCount();
}

void ArchiverCore::SendSelectedStudies() {
    StoreBool(kArchive, "SendAll", false);
    config_.m_bSendAll = false;
    RefreshStudyCount();
}

void ArchiverCore::ApplyCriterion(Criterion criterion) {
    StoreBool(kArchive, CriterionKey(criterion), CriterionIsOn(criterion));
    if (criterion != Criterion::MaxStudies) RefreshStudyCount();
}

bool ArchiverCore::CriterionIsOn(Criterion criterion) const {
    switch (criterion) {
        case Criterion::Reside:
            return config_.m_bReside;
        case Criterion::Prelim:
            return config_.m_bPrelim;
        case Criterion::MaxStudies:
            return config_.m_bMaxStudies;
        case Criterion::Final:
            return config_.m_bFinal;
    }
    return false;
}

// ---- schedule -------------------------------------------------------------------------------

std::string ArchiverCore::StartTimeForEditing() const {
    return TimeForEditing(config_.m_strStartTime);
}

std::string ArchiverCore::StopTimeForEditing() const {
    return TimeForEditing(config_.m_strStopTime);
}

void ArchiverCore::SetStartTime(const std::string& typed) {
    config_.m_strStartTime = StoredTime(typed);
    StoreText(kArchive, "StartTime", config_.m_strStartTime);
    StoreBool(kArchive, "IncrementMode", false);
    config_.m_nIncrement = 1;
    config_.m_bIncrementMode = false;
}

void ArchiverCore::SetStopTime(const std::string& typed) {
    config_.m_strStopTime = StoredTime(typed);
    StoreText(kArchive, "StopTime", config_.m_strStopTime);
}

bool ArchiverCore::SetIncrement() {
    if (config_.m_nIncrement < 1) {
        config_.m_nIncrement = SettingToInt(GetSetting(kArchive, "Increment", "1"));
        return false;
    }
    config_.m_bIncrementMode = true;
    StoreInt(kArchive, "Increment", config_.m_nIncrement);
    StoreBool(kArchive, "IncrementMode", true);
    StoreText(kArchive, "StartTime", kNoTime);
    StoreText(kArchive, "StopTime", kNoTime);
    config_.m_strStartTime = config_.m_strStopTime = kNoTime;
    return true;
}

int ArchiverCore::SchedulePeriodMs() const {
    return ScheduleTimerPeriodMs(config_.m_nIncrement);
}

bool ArchiverCore::RunIsDue(int hour, int minute) const {
    return IsRunDue(config_.m_bIncrementMode, config_.m_strStartTime, hour, minute);
}

// ---- counting and runs ----------------------------------------------------------------------

bool ArchiverCore::GetStudyList() {
    return mirabel::GetStudyList(config_, g_StudyList);
}

bool ArchiverCore::CountStudiesAtStartUp() {
    const bool counted = CountWaitingStudies(config_, waitingStudies_);
    if (waitingStudies_ > 0) window_.m_strStatus = StudyCountStatus(waitingStudies_);
    return counted;
}

void ArchiverCore::RefreshStudyCount() {
    const bool counted = CountWaitingStudies(config_, waitingStudies_);
    // A database that cannot be read has not said that nothing waits.
    window_.m_strStatus = counted || !ConnectionValuesPresent(config_)
                              ? StudyCountStatus(waitingStudies_)
                              : kStudyCountUnknown;
}

bool ArchiverCore::ListStudiesForRun() {
    if (!GetStudyList()) {
        // An empty list read as "nothing waiting" would hide the failure behind a run of
        // nothing and a count of none.
        ActivityLog(std::string("Archive not started: ") + SelectionFailure());
        if (ConnectionValuesPresent(config_)) window_.m_strStatus = kStudyCountUnknown;
        return false;
    }
    waitingStudies_ = g_StudyList.size();
    window_.m_strStatus = StudyCountStatus(waitingStudies_);
    return true;
}

const char* ArchiverCore::SelectionFailure() const {
    return ConnectionValuesPresent(config_) ? kSelectionFailed : kIncompleteSettings;
}

std::optional<RunMarker> ArchiverCore::BeginRun(std::string& refusal) {
    // A progress window open without a run (the manual selection measuring the studies it
    // adds) keeps runs out as well: there is only ever one progress window.
    if (runInProgress_ || WindowRunControl().Progress()) {
        refusal = kRunAlreadyInProgress;
        return std::nullopt;
    }
    std::optional<ExclusiveFileLock> lock = TakeRunLock(g_strAppDir, refusal);
    if (!lock) return std::nullopt;
    return RunMarker(runInProgress_, std::move(*lock));
}

std::optional<RunMarker> ArchiverCore::BeginScheduledRun() {
    std::string refusal;
    std::optional<RunMarker> run = BeginRun(refusal);
    if (!run) DebugLog("Scheduled archive skipped: " + refusal);
    return run;
}

void ArchiverCore::ArchiveNow(const RunMarker& run) {
    if (!ListStudiesForRun()) {
        TheOperator().MessageBox(
            AsSentence(std::string("Archive not started: ") + SelectionFailure()));
        return;
    }
    RunArchive(run, Attendance::Operator);
}

void ArchiverCore::RunArchive(const RunMarker&, Attendance attendance) {
    RunControl& control = WindowRunControl();
    // Nobody waits at a scheduled run: a box would hold it, and the schedule, until someone came.
    control.SetUnattended(attendance == Attendance::Unattended &&
                          TheOperator().MessagesWaitForAnswer());
    struct Attended {
        RunControl& control;
        ~Attended() { control.SetUnattended(false); }
    } restore{control};
    if (const std::optional<RunSummary> summary = mirabel::RunArchive(WindowRunContext(), config_))
        ReportRunSummary(*summary, attendance);
    RunEnded(*this);
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
