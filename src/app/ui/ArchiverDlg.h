#pragma once
// The main window: a thin layer over ArchiverCore. Its controls show the core's members;
// every handler reads the controls, stores or acts through the core, and writes them back.
#include <memory>

#include <wx/dialog.h>
#include <wx/timer.h>

#include "app/ArchiverCore.h"

class wxCheckBox;
class wxComboBox;
class wxRadioButton;
class wxStaticText;
class wxTextCtrl;

namespace mirabel {

class CArchiverDlg : public wxDialog {
  public:
    // hive: the settings store behind every GetSetting/SetSetting of this window.
    explicit CArchiverDlg(RegistryHive& hive, wxWindow* parent = nullptr);
    ~CArchiverDlg() override;

    ArchiverCore& Core() { return core_; }

    // Start-up after construction; false when the program must end ("Default.cfg" could
    // neither be opened nor created).
    bool Initialise();

    // Data exchange: controls into the core's members (false when an integer edit holds
    // text that is not a number, after telling the operator), and back.
    bool ReadControls();
    void WriteControls();

    void RefreshStudyCount();
    void LoadArchiveSettings();
    void SaveArchiveList();

    // Timer 1 is the schedule; a test may deliver its tick directly.
    void Tick(int timerId) {
        wxTimerEvent tick(timerId == 1 ? timer1_ : timer2_);
        OnTimer(tick);
    }
    bool Timer1Running() const { return timer1_.IsRunning(); }
    int Timer1Period() const { return timer1_.GetInterval(); }

  private:
    void FindControls();
    void BindHandlers();
    void FillDestinationList(const std::vector<std::string>& ids);
    void SelectDestinationEntry(const std::string& id);
    void ApplyMethodState();
    void ApplyCriteriaState();
    void ApplyDatabaseKindState();
    void FillFieldList();
    void StartTimer1(int periodMs);

    // Handlers.
    void OnSelChangeCurrentArchive();
    void OnStoreText(wxTextCtrl* edit, const char* section, const char* key);
    void OnDbType(DatabaseKind kind);
    void OnChangeCount(wxTextCtrl* edit, const char* key, const int& member);
    void OnArchiveMethod();
    void OnReplicateMethod();
    void OnDropDownDbField();
    void OnSelChangeDbField();
    void OnSendAll();
    void OnSendSelected();
    enum class Refresh { Count, Controls };
    // A criterion box: store its state under key; enable its value edit (if any) with it.
    void OnCriterionBox(const char* key, const bool& member, wxWindow* valueEdit, Refresh refresh);
    void OnBrowseDatabaseFile();
    void OnBrowseImagePath();
    void OnAddArchive();
    void OnEditArchive();
    void OnStartArchiveNow();
    void RunScheduledArchive();
    void OnSetStart();
    void OnSetStop();
    void OnSetIncrement();
    void OnViewLog(bool errorLog);
    void OnTimer(wxTimerEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnAbout();
    void OnActivate(wxActivateEvent& event);

    ArchiverCore core_;
    wxTimer timer1_;
    wxTimer timer2_;

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
};

// The main window of this process, or null.
extern CArchiverDlg* g_pMainDlg;

}  // namespace mirabel
