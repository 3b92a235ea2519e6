#pragma once
// The main window: a thin layer over ArchiverCore. Its controls show the core's configuration;
// every handler reads the controls, calls the core, and writes the controls back.
#include <vector>

#include <wx/timer.h>
#include <wx/weakref.h>

#include "app/ArchiverCore.h"
#include "app/CoreRemovalHost.h"
#include "core/ui/LayoutDialog.h"
#include "log/ui/LogDlg.h"
#include "report/ui/StatusWindow.h"
#include "removal/ui/SelectStudiesDlg.h"

class wxCheckBox;
class wxComboBox;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

namespace mirabel {

// The debug-log line of a schedule tick that waits for the removal windows to close.
inline constexpr const char* kScheduleWaitsForRemoval =
    "OnTimer: Study Deletion is open, the schedule waits for its next tick";

// The note the main window shows when it is asked to close while a run is in progress.
inline constexpr const char* kCloseAfterRun = "A run is in progress: cancel it first.";

class CArchiverDlg : public LayoutDialog {
  public:
    // hive: the settings store behind every GetSetting/SetSetting of this window.
    explicit CArchiverDlg(RegistryHive& hive, wxWindow* parent = nullptr);
    ~CArchiverDlg() override;

    ArchiverCore& Core() { return core_; }

    // Start-up after construction; false when the program must end ("Default.cfg" could
    // neither be opened nor created).
    bool Initialise();

    // Data exchange: controls into the core's configuration (false when an integer edit
    // holds text that is not a number, after telling the operator), and back.
    bool ReadControls();
    void WriteControls();

    void RefreshStudyCount();
    // The count follows changed database settings or another destination shortly, through the
    // count's own tick.
    void RefreshCountSoon();
    void LoadArchiveSettings();
    void SaveArchiveList();

    // Delivers a tick of timer 1 (the schedule) or timer 2 (the count) as the timer does. While
    // Study Deletion is open a tick of timer 1 only writes kScheduleWaitsForRemoval to the
    // debug log: the schedule tries again at its next tick.
    void Tick(int timerId);
    bool Timer1Running() const { return timer1_.IsRunning(); }
    int Timer1Period() const { return timer1_.GetInterval(); }

    // The open viewer of the activity log or the error log, or null.
    CLogDlg* LogViewer(bool errorLog) const;
    // The open Status window, or null.
    StatusWindow* StatusViewer() const;

  private:
    void FindControls();
    void BindHandlers();
    // A run is in progress: the handlers ignore their events, since the run works through the
    // study list and the database connections with the settings it started with, and nothing
    // may change, rebuild or close them under it.
    bool Busy() const override { return core_.RunInProgress(); }
    void FillDestinationList(const std::vector<std::string>& ids);
    void SelectDestinationEntry(const std::string& id);
    // The id of the destination the list's entry at index shows.
    std::string DestinationIdAt(int index) const;
    void FillFieldList(const std::vector<std::string>& columns);
    void ApplyMethodState();
    void ApplyCriteriaState();
    void ApplyDatabaseKindState();
    void EnableCriteriaBoxes(bool enable);
    void StartTimer1(int periodMs);

    // Handlers.
    void OnSelChangeCurrentArchive();
    void OnStoreDatabaseText(wxTextCtrl* edit, const char* key);
    void OnDbType(DatabaseKind kind);
    void OnChangeCount(wxTextCtrl* edit, void (ArchiverCore::*store)());
    void OnArchiveMethod();
    void OnReplicateMethod();
    void OnDropDownDbField();
    void OnSelChangeDbField();
    void OnSendAll();
    void OnSendSelected();
    // A criterion box; its value edit (if any) is usable exactly while the box is on.
    void OnCriterionBox(Criterion criterion, wxWindow* valueEdit);
    void OnBrowseDatabaseFile();
    void OnBrowseImagePath();
    void OnAddArchive();
    void OnEditArchive();
    void OnStartArchiveNow();
    void OnSelectStudiesToArchive();
    void OnRestoreStudies();
    void OnSetStart();
    void OnSetStop();
    void OnSetIncrement();
    void OnViewLog(bool errorLog);
    void OnViewStatus();
    // After every run of this window: the open Status window shows its results.
    void ReloadStatusAfterRun();
    void OnScheduleTick();
    void OnCountTick();
    void RunScheduledArchive();
    // The Study Deletion dialog: by Remove Studies, or as the unattended pass after a
    // scheduled run.
    void OpenStudyDeletion(RemovalMode mode);
    void OnSize(wxSizeEvent& event);
    void OnAbout();
    void OnActivate(wxActivateEvent& event);
    // The close box and Alt+F4: refused while a run is in progress (see kCloseAfterRun).
    void OnCloseWindow(wxCloseEvent& event);

    ArchiverCore core_;
    CoreRemovalHost removalHost_{core_};
    // Study Deletion (and Select Studies above it) is open: schedule ticks start nothing.
    bool removalWindowOpen_ = false;
    wxTimer timer1_;
    wxTimer timer2_;
    // The viewers of the activity log and of the error log, while open.
    wxWeakRef<CLogDlg> logViewers_[2];
    wxWeakRef<StatusWindow> statusWindow_;

    wxRadioButton* dbJet_ = nullptr;
    wxRadioButton* dbSql_ = nullptr;
    wxRadioButton* dbOracle_ = nullptr;
    wxTextCtrl* databaseFile_ = nullptr;
    wxTextCtrl* databasePassword_ = nullptr;
    wxTextCtrl* imagePath_ = nullptr;
    wxTextCtrl* sqlServer_ = nullptr;
    wxTextCtrl* sqlDb_ = nullptr;
    wxTextCtrl* sqlUser_ = nullptr;
    wxTextCtrl* sqlPassword_ = nullptr;
    wxComboBox* currentArchive_ = nullptr;
    wxRadioButton* methodArchive_ = nullptr;
    wxRadioButton* methodReplicate_ = nullptr;
    wxComboBox* dbField_ = nullptr;
    wxRadioButton* sendAll_ = nullptr;
    wxRadioButton* sendSelected_ = nullptr;
    wxCheckBox* reside_ = nullptr;
    wxTextCtrl* daysBeforeArchive_ = nullptr;
    wxCheckBox* prelim_ = nullptr;
    wxCheckBox* maxStudies_ = nullptr;
    wxTextCtrl* maxStudiesCount_ = nullptr;
    wxCheckBox* final_ = nullptr;
    wxStaticText* status_ = nullptr;
    wxStaticText* startTime_ = nullptr;
    wxStaticText* stopTime_ = nullptr;
    wxTextCtrl* increment_ = nullptr;
    wxWindow* removeStudies_ = nullptr;
    wxStaticText* archiveNote_ = nullptr;  // what became of the last Add Archive
};

// The main window of this process, or null.
extern CArchiverDlg* g_pMainDlg;

}  // namespace mirabel
