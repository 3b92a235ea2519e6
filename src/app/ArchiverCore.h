#pragma once
// The main window's core: the whole current configuration (ArchiverConfig) with the
// operations that read and store it. The window binds its controls to these members and
// forwards every handler here; nothing in this class knows about windows, so the same core
// serves the window, the headless mode and the tests.
#include <string>
#include <vector>

#include "core/ArchiverConfig.h"
#include "config/SettingsStore.h"

namespace mirabel {

class ArchiverCore : public ArchiverConfig {
  public:
    explicit ArchiverCore(RegistryHive& hive);
    ~ArchiverCore();
    ArchiverCore(const ArchiverCore&) = delete;
    ArchiverCore& operator=(const ArchiverCore&) = delete;

    // Settings under the current destination (or directly under the product key while no
    // destination is selected).
    std::string GetSetting(std::string section, std::string key, std::string defaultValue) const;
    [[nodiscard]] bool SetSetting(std::string section, std::string key, std::string value);

    // Construction: the settings found directly under the product key, the fixed initial
    // values and the start directory's paths.
    void LoadInitialSettings();

    // Start-up: reads "Default.cfg" into m_strCurrentArchive, creating it empty when missing.
    // False when it can neither be opened nor created (the program must end).
    [[nodiscard]] bool ReadCurrentArchiveFile();

    // Start-up: reads "archives.p" into g_Archives; returns the ids for the destination list.
    std::vector<std::string> ReadDestinationList();

    // Makes id the current destination: rewrites "Default.cfg", loads its settings and
    // points g_pCurrentArchive at it (null when no destination has that id).
    void SelectArchive(const std::string& id);

    // Loads every per-destination setting into the members (the window then updates the
    // controls' states from them).
    void LoadArchiveSettings();

    // The ODBC driver names from their optional settings (defaults when unset).
    void LoadOdbcDriverNames();

    // Points g_pCurrentArchive at the destination whose id is m_strCurrentArchive.
    void FindCurrentArchive();

    // "<title>" or "<title> : <current id>".
    std::string Caption() const;

    // Rewrites "archives.p" from g_Archives; false when it could not be written.
    [[nodiscard]] bool SaveArchiveList() const;

    // The ids of all destinations, in list order.
    static std::vector<std::string> DestinationIds();

    // Fills the study list from the image system's database.
    void GetStudyList();
    // Start-up count: GetStudyList; the status changes only when studies are waiting.
    void CountStudiesAtStartUp();
    // GetStudyList, then m_strStatus = the count text.
    void RefreshStudyCount();

    // One archive run of the study list to the current destination.
    void RunArchive();

    // Whether timer 1's tick at the given local time starts a run.
    bool RunIsDue(int hour, int minute) const;

    // True while an archive run or a deletion pass is in progress.
    static bool RunInProgress();

    // Stores one setting of a handler: the value in section/key.
    void StoreText(const char* section, const char* key, const std::string& value);
    void StoreBool(const char* section, const char* key, bool value);
    void StoreInt(const char* section, const char* key, int value);

  private:
    // The groups of settings that construction and a destination's load share.
    void LoadDatabaseSettings();
    void LoadCountSettings();
    void LoadScheduleTimes();

    SettingsStore store_;
};

// The main window's core of this process; set by its constructor, read by other windows.
extern ArchiverCore* g_pMainCore;

}  // namespace mirabel
