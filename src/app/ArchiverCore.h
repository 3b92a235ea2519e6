#pragma once
// The main window's core: the whole current configuration (ArchiverConfig), the rules by
// which the main window's controls change and store it, and the archive runs started from the
// window. The window reads its controls, calls one of these methods and shows the
// configuration again; nothing in this class knows about windows, so the same core serves the
// window, the headless mode and the tests.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "app/ControlValues.h"
#include "app/MainWindowState.h"
#include "app/RunMarker.h"
#include "archive/RunSummary.h"
#include "config/SettingsStore.h"
#include "core/ArchiverConfig.h"

namespace mirabel {

// The four criteria check boxes of "Send unarchived studies...".
enum class Criterion { Reside, Prelim, MaxStudies, Final };

inline constexpr const char* kIncrementRefused = "Increment must be greater than zero.";
// Why a run could not read the studies waiting for it.
inline constexpr const char* kIncompleteSettings = "the database settings are incomplete";
inline constexpr const char* kSelectionFailed = "the study selection failed (see mirabelerror.log)";
// The status line while the image database cannot be read.
inline constexpr const char* kStudyCountUnknown =
    "Studies to be archived: unknown (see mirabelerror.log)";
// What the database file dialog offers and completes a typed name with.
inline constexpr const char* kDatabaseFileExtension = ".mdb";

class ArchiverCore {
  public:
    explicit ArchiverCore(RegistryHive& hive);
    ~ArchiverCore();
    ArchiverCore(const ArchiverCore&) = delete;
    ArchiverCore& operator=(const ArchiverCore&) = delete;

    // The current configuration; it changes only through the methods below.
    const ArchiverConfig& Config() const { return config_; }

    // The window's own state: active, caption, status line.
    const MainWindowState& Window() const { return window_; }

    // Settings under the current destination (or directly under the product key while no
    // destination is selected).
    std::string GetSetting(std::string section, std::string key, std::string defaultValue) const;
    [[nodiscard]] bool SetSetting(std::string section, std::string key, std::string value);

    // ---- start-up and destinations ----------------------------------------------------------

    // Construction: the settings found directly under the product key, the fixed initial
    // values and the start directory's paths.
    void LoadInitialSettings();

    // The window caption as the window resource gives it.
    void SetTitle(const std::string& title);

    // Start-up: reads "Default.cfg" into m_strCurrentArchive, creating it empty when missing.
    // False when it can neither be opened nor created (the program must end). onlyRead: for
    // what changes nothing, the file is only read, never opened for writing nor created.
    [[nodiscard]] bool ReadCurrentArchiveFile(bool onlyRead = false);

    // Start-up: reads "archives.p" into g_Archives; returns the ids for the destination list.
    std::vector<std::string> ReadDestinationList();

    // Makes id the current destination: rewrites "Default.cfg", loads its settings and
    // points g_pCurrentArchive at it (null when no destination has that id).
    void SelectArchive(const std::string& id);

    // Loads every per-destination setting into the configuration.
    void LoadArchiveSettings();

    // Points g_pCurrentArchive at the destination whose id is m_strCurrentArchive.
    void FindCurrentArchive();

    // After the current destination was edited: its (possibly new) id becomes the current
    // id, so that changes from now on are stored under it. "Default.cfg" is not rewritten.
    void FollowEditedArchive();

    // Makes the destination just added (id) the current archive. A destination that has no
    // database settings of its own yet takes the ones on screen, so that choosing it does not
    // blank the database fields the operator has just filled in.
    void SelectAddedArchive(const std::string& id);

    // "<title>" or "<title> : <current id>".
    std::string Caption() const;

    // Rewrites "archives.p" from g_Archives; false when it could not be written.
    [[nodiscard]] bool SaveArchiveList() const;

    // The ids of all destinations, in list order.
    static std::vector<std::string> DestinationIds();

    // ---- the controls -------------------------------------------------------------------------

    // Takes the controls' values in their exchange order. Stops at the first integer edit that
    // does not hold a number and returns it (the values before it are taken, those after it
    // are not); nullopt when everything was taken.
    std::optional<IntegerEdit> TakeControlValues(const ControlValues& values);

    // Whether the main window is the active window.
    void SetActive(bool active);

    // Whether a tick that starts no run refreshes the count: only for an operator who can see
    // it (the window neither minimised nor inactive), so that idle ticks leave the database be.
    bool CountIsWatched(bool minimised) const;

    // ---- handlers that store one setting ------------------------------------------------------

    // An edit of the database group: stores "Database"/key.
    void StoreDatabaseSetting(const char* key, const std::string& value);
    // One of the database kind's radio buttons: stores its "DB_Type" word.
    void ChooseDatabaseKind(DatabaseKind kind);
    // Store the count edits' current values ("Max Studies", "Days Before Archive").
    void StoreMaxStudiesCount();
    void StoreDaysBeforeArchive();
    // A path chosen with Browse: taken and stored. The database file's name gets the default
    // extension kDatabaseFileExtension when it has none (see WithDefaultExtension).
    void ChangeDatabaseFile(const std::string& chosen);
    void ChangeImagePath(const std::string& path);

    // ---- method and criteria ------------------------------------------------------------------

    // Archive method: archives always go to ARCHIVE_PATH (in memory; the stored column is
    // kept for Replicate); recounts.
    void ChooseArchiveMethod();
    // Replicate method: the stored column becomes the archive column when EXAM has it
    // (spelled as EXAM spells it), else the archive column is empty; recounts. Returns the
    // EXAM columns for the column list.
    std::vector<std::string> ChooseReplicateMethod();
    // The same rule for a run without the window: under Replicate the archive column becomes
    // the stored column as EXAM spells it, or empty when EXAM lacks it; nothing is stored and
    // nothing is counted. False, with the reason, when the column is then empty.
    [[nodiscard]] bool SettleReplicateColumn(std::string& refusal);
    // The columns of EXAM, for the column list; what was read before a database error.
    std::vector<std::string> ArchiveColumnChoices() const;
    // A column chosen from the list: stored as "DBField"; recounts.
    void ChooseArchiveColumn(const std::string& column);

    // "Send all unarchived studies" (criteria off) or "Send unarchived studies..." (the
    // criteria apply); recounts.
    void SendAllStudies();
    void SendSelectedStudies();
    // Stores a criterion box's state as taken from the controls; recounts, except for the
    // maximum-count switch, which changes only how many studies a run takes.
    void ApplyCriterion(Criterion criterion);
    bool CriterionIsOn(Criterion criterion) const;

    // ---- schedule -----------------------------------------------------------------------------

    // The stored times as the Set Time dialog shows them ("None" shows empty).
    std::string StartTimeForEditing() const;
    std::string StopTimeForEditing() const;
    // A new start time (empty: "None"): start-time mode, with a one-minute tick in memory (the
    // stored increment stays for increment mode).
    void SetStartTime(const std::string& typed);
    // A new stop time (empty: "None"): stored and shown only.
    void SetStopTime(const std::string& typed);
    // Increment mode with the increment taken from the controls. False when it is below one:
    // the stored increment comes back and nothing changes (the operator is to be told
    // kIncrementRefused).
    bool SetIncrement();
    // Timer 1's period: the increment in milliseconds, capped at the longest the timer takes.
    int SchedulePeriodMs() const;
    // Whether timer 1's tick at the given local time starts a run.
    bool RunIsDue(int hour, int minute) const;

    // ---- counting and runs --------------------------------------------------------------------

    // Fills the study list from the image system's database; false when the waiting studies
    // could not all be read (see mirabel::GetStudyList).
    bool GetStudyList();
    // Start-up count: the number GetStudyList would list, counted without listing; the status
    // changes only when studies are waiting. False as GetStudyList.
    bool CountStudiesAtStartUp();
    // m_strStatus = the count text of the studies waiting now (counted, not listed). When the
    // connection values are missing it shows the last count, as the list keeps its content;
    // when the database cannot be read, kStudyCountUnknown.
    void RefreshStudyCount();
    // GetStudyList for the run about to start, then m_strStatus = the count text of that list.
    // False when the list could not be read: no run is to start, and the activity log says so.
    bool ListStudiesForRun();
    // Why the waiting studies could not be read: kIncompleteSettings or kSelectionFailed.
    const char* SelectionFailure() const;

    // Begins an archive run or a deletion pass: the returned marker keeps this core's run in
    // progress and holds the start directory's run lock until it goes away. nullopt, with
    // refusal saying why, while another run is in progress, here or in another process
    // (kAnotherRunInProgress), or when the lock file cannot be used.
    std::optional<RunMarker> BeginRun(std::string& refusal);
    // The same for a run the schedule starts; a refusal is noted in the debug log, and the
    // schedule tries again at its next tick.
    std::optional<RunMarker> BeginScheduledRun();
    // True while an archive run or a deletion pass is in progress: the window's handlers
    // ignore their events meanwhile.
    bool RunInProgress() const { return runInProgress_; }

    // Start Archive Now: the waiting studies, selected afresh, to the current destination; the
    // operator who pressed it is shown the run's summary. When the studies cannot be read no run
    // starts, and the operator is told why rather than shown a run of nothing.
    void ArchiveNow(const RunMarker& run);
    // One archive run of the study list as it stands to the current destination, under the
    // window's run control. Its summary goes to the activity log, and to an operator who waits.
    void RunArchive(const RunMarker& run, Attendance attendance = Attendance::Unattended);

  private:
    // The groups of settings that construction and a destination's load share.
    void LoadDatabaseSettings();
    // The database members, stored under the current archive.
    void StoreDatabaseValues();
    void LoadCountSettings();
    void LoadScheduleTimes();
    void LoadOdbcDriverNames();
    // "Archive"/"DBField", the column the Replicate method stores.
    std::string StoredArchiveColumn() const;

    void StoreText(const char* section, const char* key, const std::string& value);
    void StoreBool(const char* section, const char* key, bool value);
    void StoreInt(const char* section, const char* key, int value);

    ArchiverConfig config_;
    MainWindowState window_;
    SettingsStore store_;
    bool runInProgress_ = false;
    std::size_t waitingStudies_ = 0;  // the last count shown
};

}  // namespace mirabel
