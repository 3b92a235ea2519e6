#include "app/ui/ArchiverDlg.h"

#include <wx/checkbox.h>
#include <wx/datetime.h>
#include <wx/combobox.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/ui/AboutDlg.h"
#include "app/ui/SetTimeDlg.h"
#include "core/ui/WxText.h"
#include "config/ui/AddArchiveDlg.h"
#include "config/ArchiveDestination.h"
#include "config/ui/EditFtpArchiveDlg.h"
#include "config/ui/EditNfsArchiveDlg.h"
#include "config/ui/EditRemArchiveDlg.h"
#include "config/ui/EditServerArchiveDlg.h"
#include "archive/ScheduleRule.h"
#include "db/StudySelection.h"
#include "log/ui/LogDlg.h"
#include "log/Logs.h"

namespace mirabel {

CArchiverDlg* g_pMainDlg = nullptr;

namespace {
constexpr int kTimer1 = 1;
constexpr int kTimer2 = 2;
constexpr int kMinuteMs = 60000;
constexpr const char* kDatabase = "Database";
constexpr const char* kArchive = "Archive";

template <typename T>
T* Find(wxWindow* parent, const char* name) {
    T* control = wxDynamicCast(parent->FindWindow(XRCID(name)), T);
    wxASSERT_MSG(control, name);
    return control;
}

// An integer edit as the framework's data exchange reads it: optional blanks, a signed
// decimal number, optional blanks, nothing else.
bool ParseInteger(const wxString& text, int& value) {
    const std::string bytes = FromWx(text);
    char* end = nullptr;
    const long parsed = std::strtol(bytes.c_str(), &end, 10);
    if (end == bytes.c_str()) return false;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0' || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}
// The Edit Archive dialog that matches the destination's type; a type read from the list file
// that is none of the known ones was read as removable media and is edited as such.
int ShowEditArchiveDialog(ArchiveDestination& destination, wxWindow* parent) {
    if (destination.m_strType == "FTP") return CEditFtpArchiveDlg(&destination, parent).ShowModal();
    if (destination.m_strType == "NFS") return CEditNfsArchiveDlg(&destination, parent).ShowModal();
    if (destination.m_strType == "CORVA")
        return CEditServerArchiveDlg(&destination, parent).ShowModal();
    return CEditRemArchiveDlg(&destination, parent).ShowModal();
}

}  // namespace

CArchiverDlg::CArchiverDlg(RegistryHive& hive, wxWindow* parent)
    : core_(hive), timer1_(this, kTimer1), timer2_(this, kTimer2) {
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_ARCHIVER_DIALOG");
    g_pMainDlg = this;
    core_.LoadInitialSettings();
    FindControls();
    BindHandlers();
    WriteControls();
}

CArchiverDlg::~CArchiverDlg() {
    timer1_.Stop();
    timer2_.Stop();
    if (g_pMainDlg == this) g_pMainDlg = nullptr;
}

void CArchiverDlg::FindControls() {
    dbJet_ = Find<wxRadioButton>(this, "IDC_DB_JET");
    dbSql_ = Find<wxRadioButton>(this, "IDC_DB_SQL");
    dbOracle_ = Find<wxRadioButton>(this, "IDC_DB_ORACLE");
    databaseFile_ = Find<wxTextCtrl>(this, "IDC_DATABASE_FILE");
    databasePassword_ = Find<wxTextCtrl>(this, "IDC_DATABASE_PASSWORD");
    imagePath_ = Find<wxTextCtrl>(this, "IDC_IMAGE_PATH");
    sqlServer_ = Find<wxTextCtrl>(this, "IDC_SQL_SERVER");
    sqlDb_ = Find<wxTextCtrl>(this, "IDC_SQL_DB");
    sqlUser_ = Find<wxTextCtrl>(this, "IDC_SQL_USER");
    sqlPassword_ = Find<wxTextCtrl>(this, "IDC_SQL_PASSWORD");
    currentArchive_ = Find<wxComboBox>(this, "IDC_CURRENT_ARCHIVE");
    methodArchive_ = Find<wxRadioButton>(this, "IDC_METHOD_ARCHIVE");
    methodReplicate_ = Find<wxRadioButton>(this, "IDC_METHOD_REPLICATE");
    dbField_ = Find<wxComboBox>(this, "IDC_DB_FIELD");
    sendAll_ = Find<wxRadioButton>(this, "IDC_SEND_ALL");
    sendSelected_ = Find<wxRadioButton>(this, "IDC_SEND_SELECTED");
    reside_ = Find<wxCheckBox>(this, "IDC_RESIDE");
    daysBeforeArchive_ = Find<wxTextCtrl>(this, "IDC_DAYS_BEFORE_ARCHIVE");
    prelim_ = Find<wxCheckBox>(this, "IDC_PRELIM");
    maxStudies_ = Find<wxCheckBox>(this, "IDC_MAX_STUDIES");
    maxStudiesCount_ = Find<wxTextCtrl>(this, "IDC_MAX_STUDIES_COUNT");
    final_ = Find<wxCheckBox>(this, "IDC_FINAL");
    status_ = Find<wxStaticText>(this, "IDC_STATUS");
    startTime_ = Find<wxStaticText>(this, "IDC_START_TIME");
    stopTime_ = Find<wxStaticText>(this, "IDC_STOP_TIME");
    increment_ = Find<wxTextCtrl>(this, "IDC_INCREMENT");
    removeStudies_ = Find<wxWindow>(this, "IDC_REMOVE_STUDIES");
}

void CArchiverDlg::BindHandlers() {
    auto onButton = [this](const char* name, auto handler) {
        Bind(
            wxEVT_BUTTON, [handler](wxCommandEvent&) { handler(); }, XRCID(name));
    };
    auto onText = [this](wxTextCtrl* edit, auto handler) {
        edit->Bind(wxEVT_TEXT, [handler](wxCommandEvent&) { handler(); });
    };
    auto onRadio = [this](wxRadioButton* radio, auto handler) {
        radio->Bind(wxEVT_RADIOBUTTON, [handler](wxCommandEvent&) { handler(); });
    };
    auto onCheck = [this](wxCheckBox* box, auto handler) {
        box->Bind(wxEVT_CHECKBOX, [handler](wxCommandEvent&) { handler(); });
    };

    onRadio(dbJet_, [this] { OnDbType("JET"); });
    onRadio(dbSql_, [this] { OnDbType("SQL"); });
    onRadio(dbOracle_, [this] { OnDbType("ORACLE"); });
    onText(databaseFile_, [this] { OnStoreText(databaseFile_, kDatabase, "Database File"); });
    onText(imagePath_, [this] { OnStoreText(imagePath_, kDatabase, "Image Path"); });
    onText(databasePassword_,
           [this] { OnStoreText(databasePassword_, kDatabase, "Database Password"); });
    onText(sqlServer_, [this] { OnStoreText(sqlServer_, kDatabase, "SQL_Server"); });
    onText(sqlUser_, [this] { OnStoreText(sqlUser_, kDatabase, "SQL_User"); });
    onText(sqlPassword_, [this] { OnStoreText(sqlPassword_, kDatabase, "SQL_Password"); });
    onText(sqlDb_, [this] { OnStoreText(sqlDb_, kDatabase, "SQL_DB"); });
    onText(maxStudiesCount_,
           [this] { OnChangeCount(maxStudiesCount_, "Max Studies", core_.m_nMaxStudies); });
    onText(daysBeforeArchive_, [this] {
        OnChangeCount(daysBeforeArchive_, "Days Before Archive", core_.m_nDaysBeforeArchive);
    });
    currentArchive_->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) { OnSelChangeCurrentArchive(); });
    onRadio(methodArchive_, [this] { OnArchiveMethod(); });
    onRadio(methodReplicate_, [this] { OnReplicateMethod(); });
    dbField_->Bind(wxEVT_COMBOBOX_DROPDOWN, [this](wxCommandEvent& e) {
        OnDropDownDbField();
        e.Skip();
    });
    dbField_->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) { OnSelChangeDbField(); });
    onRadio(sendAll_, [this] { OnSendAll(); });
    onRadio(sendSelected_, [this] { OnSendSelected(); });
    onCheck(reside_, [this] {
        OnCriterionBox("Reside", core_.m_bReside, daysBeforeArchive_, Refresh::Count);
    });
    onCheck(maxStudies_, [this] {
        OnCriterionBox("MaxStudies", core_.m_bMaxStudies, maxStudiesCount_, Refresh::Controls);
    });
    onCheck(prelim_,
            [this] { OnCriterionBox("Prelim", core_.m_bPrelim, nullptr, Refresh::Count); });
    onCheck(final_, [this] { OnCriterionBox("Final", core_.m_bFinal, nullptr, Refresh::Count); });

    onButton("IDC_BROWSE_DATABASE", [this] { OnBrowseDatabaseFile(); });
    onButton("IDC_BROWSE_IMAGE_PATH", [this] { OnBrowseImagePath(); });
    onButton("IDC_ADD_ARCHIVE", [this] { OnAddArchive(); });
    onButton("IDC_EDIT_ARCHIVE", [this] { OnEditArchive(); });
    onButton("IDC_START_ARCHIVE_NOW", [this] { OnStartArchiveNow(); });
    onButton("IDC_SET_START", [this] { OnSetStart(); });
    onButton("IDC_SET_STOP", [this] { OnSetStop(); });
    onButton("IDC_SET_INCREMENT", [this] { OnSetIncrement(); });
    onButton("IDC_VIEW_LOG", [this] { OnViewLog(false); });
    onButton("IDC_VIEW_ERROR_LOG", [this] { OnViewLog(true); });

    // The window has no OK button: Enter and the OK command change nothing. Escape and the
    // close box end the dialog, and with it the program.
    Bind(
        wxEVT_BUTTON, [](wxCommandEvent&) {}, wxID_OK);
    Bind(wxEVT_TIMER, &CArchiverDlg::OnTimer, this);
    Bind(wxEVT_SIZE, &CArchiverDlg::OnSize, this);
    Bind(wxEVT_ACTIVATE, &CArchiverDlg::OnActivate, this);

    // GTK has no system menu to extend: the About box is on F1 and on the window's context
    // menu instead.
    const int aboutId = wxWindow::NewControlId();
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnAbout(); }, aboutId);
    wxAcceleratorEntry about(wxACCEL_NORMAL, WXK_F1, aboutId);
    SetAcceleratorTable(wxAcceleratorTable(1, &about));
    Bind(wxEVT_CONTEXT_MENU, [this, aboutId](wxContextMenuEvent&) {
        wxMenu menu;
        menu.Append(aboutId, "&About Corvana Study Archiver...");
        PopupMenu(&menu);
    });
}

// ---- start-up -------------------------------------------------------------------------------

bool CArchiverDlg::Initialise() {
    core_.m_strTitle = FromWx(GetTitle());
    if (!core_.ReadCurrentArchiveFile()) {
        wxMessageBox("Could not create Default.cfg!\nExiting.", GetTitle(), wxOK, this);
        return false;
    }
    FillDestinationList(core_.ReadDestinationList());
    if (!core_.m_strCurrentArchive.empty()) SelectDestinationEntry(core_.m_strCurrentArchive);
    OnSelChangeCurrentArchive();
    core_.FindCurrentArchive();
    core_.CountStudiesAtStartUp();
    WriteControls();
    StartTimer1(ScheduleTimerPeriodMs(core_.m_nIncrement));
    return true;
}

void CArchiverDlg::FillDestinationList(const std::vector<std::string>& ids) {
    currentArchive_->Clear();
    for (const std::string& id : ids) currentArchive_->Append(ToWx(id));
}

void CArchiverDlg::SelectDestinationEntry(const std::string& id) {
    // Whole-entry match ignoring case, as the list control's exact search does.
    const int index = currentArchive_->FindString(ToWx(id), false);
    if (index != wxNOT_FOUND) currentArchive_->SetSelection(index);
}

void CArchiverDlg::StartTimer1(int periodMs) {
    timer1_.Start(periodMs > 0 ? periodMs : kMinuteMs);
}

// ---- data exchange ----------------------------------------------------------------------------

bool CArchiverDlg::ReadControls() {
    auto readInt = [this](wxTextCtrl* edit, int& member) {
        if (ParseInteger(edit->GetValue(), member)) return true;
        wxMessageBox("Please enter an integer.", GetTitle(), wxOK | wxICON_EXCLAMATION, this);
        edit->SetFocus();
        return false;
    };
    core_.m_strDatabaseFile = FromWx(databaseFile_->GetValue());
    core_.m_strImagePath = FromWx(imagePath_->GetValue());
    if (!readInt(maxStudiesCount_, core_.m_nMaxStudies)) return false;
    if (!readInt(daysBeforeArchive_, core_.m_nDaysBeforeArchive)) return false;
    core_.m_strDatabasePassword = FromWx(databasePassword_->GetValue());
    core_.m_strSqlServer = FromWx(sqlServer_->GetValue());
    core_.m_strSqlUser = FromWx(sqlUser_->GetValue());
    core_.m_strSqlPassword = FromWx(sqlPassword_->GetValue());
    core_.m_strSqlDb = FromWx(sqlDb_->GetValue());
    core_.m_strDbField = FromWx(dbField_->GetValue());
    core_.m_bReside = reside_->GetValue();
    core_.m_bPrelim = prelim_->GetValue();
    core_.m_bMaxStudies = maxStudies_->GetValue();
    core_.m_bFinal = final_->GetValue();
    return readInt(increment_, core_.m_nIncrement);
}

void CArchiverDlg::WriteControls() {
    // ChangeValue, not SetValue: showing a value must not store it again.
    databaseFile_->ChangeValue(ToWx(core_.m_strDatabaseFile));
    imagePath_->ChangeValue(ToWx(core_.m_strImagePath));
    maxStudiesCount_->ChangeValue(wxString::Format("%d", core_.m_nMaxStudies));
    daysBeforeArchive_->ChangeValue(wxString::Format("%d", core_.m_nDaysBeforeArchive));
    startTime_->SetLabel(ToWx(core_.m_strStartTime));
    stopTime_->SetLabel(ToWx(core_.m_strStopTime));
    status_->SetLabel(ToWx(core_.m_strStatus));
    databasePassword_->ChangeValue(ToWx(core_.m_strDatabasePassword));
    sqlServer_->ChangeValue(ToWx(core_.m_strSqlServer));
    sqlUser_->ChangeValue(ToWx(core_.m_strSqlUser));
    sqlPassword_->ChangeValue(ToWx(core_.m_strSqlPassword));
    sqlDb_->ChangeValue(ToWx(core_.m_strSqlDb));
    dbField_->ChangeValue(ToWx(core_.m_strDbField));
    reside_->SetValue(core_.m_bReside);
    prelim_->SetValue(core_.m_bPrelim);
    maxStudies_->SetValue(core_.m_bMaxStudies);
    final_->SetValue(core_.m_bFinal);
    increment_->ChangeValue(wxString::Format("%d", core_.m_nIncrement));
}

// ---- destination selection and per-destination settings ------------------------------------

void CArchiverDlg::OnSelChangeCurrentArchive() {
    if (ArchiverCore::RunInProgress()) return;
    ReadControls();
    if (currentArchive_->GetSelection() == wxNOT_FOUND) return;
    core_.m_strCurrentArchive = FromWx(currentArchive_->GetStringSelection());
    core_.SelectArchive(core_.m_strCurrentArchive);
    LoadArchiveSettings();
    SetTitle(ToWx(core_.Caption()));
}

void CArchiverDlg::LoadArchiveSettings() {
    // The core has loaded the members; here the controls follow them.
    WriteControls();
    ApplyMethodState();
    ApplyCriteriaState();
    ApplyDatabaseKindState();
}

void CArchiverDlg::ApplyMethodState() {
    if (!core_.m_bReplicate) {
        methodArchive_->SetValue(true);
        OnArchiveMethod();
    } else {
        methodReplicate_->SetValue(true);
        OnReplicateMethod();
    }
}

void CArchiverDlg::ApplyCriteriaState() {
    sendAll_->SetValue(core_.m_bSendAll);
    sendSelected_->SetValue(!core_.m_bSendAll);
    for (wxWindow* box : {static_cast<wxWindow*>(reside_), static_cast<wxWindow*>(prelim_),
                          static_cast<wxWindow*>(final_), static_cast<wxWindow*>(maxStudies_)})
        box->Enable(!core_.m_bSendAll);
    daysBeforeArchive_->Enable(!core_.m_bSendAll && core_.m_bReside);
    maxStudiesCount_->Enable(!core_.m_bSendAll && core_.m_bMaxStudies);
}

void CArchiverDlg::ApplyDatabaseKindState() {
    if (core_.m_strDbType == "JET")
        dbJet_->SetValue(true);
    else if (core_.m_strDbType == "SQL")
        dbSql_->SetValue(true);
    else
        dbOracle_->SetValue(true);
}

// While an archive run or a deletion pass is in progress every handler below ignores its
// event: the run works through the study list and the database connections with the settings
// it started with, and nothing may rebuild or close them under it.

// ---- handlers that store one setting ----------------------------------------------------------

void CArchiverDlg::OnStoreText(wxTextCtrl* edit, const char* section, const char* key) {
    if (ArchiverCore::RunInProgress()) return;
    ReadControls();
    core_.StoreText(section, key, FromWx(edit->GetValue()));
}

void CArchiverDlg::OnDbType(const char* kind) {
    if (ArchiverCore::RunInProgress()) return;
    core_.m_strDbType = kind;
    core_.StoreText(kDatabase, "DB_Type", kind);
}

void CArchiverDlg::OnChangeCount(wxTextCtrl* edit, const char* key, const int& member) {
    if (ArchiverCore::RunInProgress()) return;
    if (edit->GetValue().empty() || !ReadControls()) return;
    core_.StoreInt(kArchive, key, member);
}

// ---- method and criteria ----------------------------------------------------------------------

void CArchiverDlg::OnArchiveMethod() {
    if (ArchiverCore::RunInProgress()) return;
    core_.StoreBool(kArchive, "ReplicateMethod", false);
    core_.m_bReplicate = false;
    ReadControls();
    removeStudies_->Enable();
    dbField_->Disable();
    core_.m_strDbField = "ARCHIVE_PATH";
    RefreshStudyCount();
}

void CArchiverDlg::OnReplicateMethod() {
    if (ArchiverCore::RunInProgress()) return;
    dbField_->Enable();
    core_.m_strDbField = core_.GetSetting(kArchive, "DBField", "ARCHIVE_PATH");
    FillFieldList();
    const int index = dbField_->FindString(ToWx(core_.m_strDbField), false);
    if (index != wxNOT_FOUND) {
        dbField_->SetSelection(index);
    } else {
        dbField_->SetSelection(wxNOT_FOUND);
        dbField_->ChangeValue(wxString());
    }
    core_.StoreBool(kArchive, "ReplicateMethod", true);
    core_.m_bReplicate = true;
    ReadControls();
    removeStudies_->Disable();
    RefreshStudyCount();
}

void CArchiverDlg::FillFieldList() {
    dbField_->Clear();
    for (const std::string& column : ListExamColumns(core_)) dbField_->Append(ToWx(column));
}

void CArchiverDlg::OnDropDownDbField() {
    if (ArchiverCore::RunInProgress()) return;
    const int remembered = dbField_->GetSelection();
    const wxString text = dbField_->GetValue();
    FillFieldList();
    if (remembered != wxNOT_FOUND && remembered < static_cast<int>(dbField_->GetCount()))
        dbField_->SetSelection(remembered);
    else
        dbField_->ChangeValue(text);
}

void CArchiverDlg::OnSelChangeDbField() {
    if (ArchiverCore::RunInProgress()) return;
    core_.m_strDbField = FromWx(dbField_->GetStringSelection());
    core_.StoreText(kArchive, "DBField", core_.m_strDbField);
    RefreshStudyCount();
}

void CArchiverDlg::OnSendAll() {
    if (ArchiverCore::RunInProgress()) return;
    core_.StoreBool(kArchive, "SendAll", true);
    core_.m_bSendAll = true;
    for (wxWindow* control :
         {static_cast<wxWindow*>(prelim_), static_cast<wxWindow*>(final_),
          static_cast<wxWindow*>(maxStudies_), static_cast<wxWindow*>(reside_),
          static_cast<wxWindow*>(maxStudiesCount_), static_cast<wxWindow*>(daysBeforeArchive_)})
        control->Disable();
    RefreshStudyCount();
}

void CArchiverDlg::OnSendSelected() {
    if (ArchiverCore::RunInProgress()) return;
    core_.StoreBool(kArchive, "SendAll", false);
    core_.m_bSendAll = false;
    for (wxWindow* box : {static_cast<wxWindow*>(prelim_), static_cast<wxWindow*>(final_),
                          static_cast<wxWindow*>(maxStudies_), static_cast<wxWindow*>(reside_)})
        box->Enable();
    ReadControls();
    if (core_.m_bReside) daysBeforeArchive_->Enable();
    if (core_.m_bMaxStudies) maxStudiesCount_->Enable();
    RefreshStudyCount();
}

void CArchiverDlg::OnCriterionBox(const char* key, const bool& member, wxWindow* valueEdit,
                                  Refresh refresh) {
    if (ArchiverCore::RunInProgress()) return;
    ReadControls();
    core_.StoreBool(kArchive, key, member);
    if (valueEdit) valueEdit->Enable(member);
    if (refresh == Refresh::Count)
        RefreshStudyCount();
    else
        WriteControls();
}

void CArchiverDlg::RefreshStudyCount() {
    core_.RefreshStudyCount();
    WriteControls();
}

// ---- browsing, destinations, runs ---------------------------------------------------------------

void CArchiverDlg::OnBrowseDatabaseFile() {
    if (ArchiverCore::RunInProgress()) return;
    ReadControls();
    wxFileDialog dialog(this, "Open", wxString(), ToWx(core_.m_strDatabaseFile),
                        "Access Database Files (*.mdb)|*.mdb|All Files (*.*)|*.*", wxFD_OPEN);
    if (dialog.ShowModal() != wxID_OK) return;
    core_.m_strDatabaseFile = FromWx(dialog.GetPath());
    WriteControls();
    core_.StoreText(kDatabase, "Database File", core_.m_strDatabaseFile);
}

void CArchiverDlg::OnBrowseImagePath() {
    if (ArchiverCore::RunInProgress()) return;
    ReadControls();
    // A cancelled picker keeps the current path.
    wxDirDialog dialog(this, "Select Images Path", ToWx(core_.m_strImagePath));
    if (dialog.ShowModal() == wxID_OK) core_.m_strImagePath = FromWx(dialog.GetPath());
    WriteControls();
    core_.StoreText(kDatabase, "Image Path", core_.m_strImagePath);
}

void CArchiverDlg::OnAddArchive() {
    if (ArchiverCore::RunInProgress()) return;
    CAddArchiveDlg dialog(this);
    if (dialog.ShowModal() != wxID_OK) return;
    SaveArchiveList();
    if (!core_.m_strCurrentArchive.empty()) SelectDestinationEntry(core_.m_strCurrentArchive);
}

void CArchiverDlg::OnEditArchive() {
    if (ArchiverCore::RunInProgress() || !g_pCurrentArchive) return;
    if (ShowEditArchiveDialog(*g_pCurrentArchive, this) != wxID_OK) return;
    SaveArchiveList();
    core_.m_strCurrentArchive = g_pCurrentArchive->m_strId;
    FillDestinationList(ArchiverCore::DestinationIds());
    SelectDestinationEntry(core_.m_strCurrentArchive);
}

void CArchiverDlg::SaveArchiveList() {
    // A list that cannot be written stays in memory for this run, and the list shown is kept.
    if (core_.SaveArchiveList()) FillDestinationList(ArchiverCore::DestinationIds());
}

void CArchiverDlg::OnStartArchiveNow() {
    if (ArchiverCore::RunInProgress()) return;
    timer1_.Stop();
    core_.GetStudyList();
    core_.RunArchive();
    StartTimer1(kMinuteMs);
    ReadControls();
    RefreshStudyCount();
}

void CArchiverDlg::OnViewLog(bool errorLog) {
    auto* viewer = new CLogDlg(this, errorLog ? kErrorLogFile : kActivityLogFile);
    if (errorLog) viewer->SetTitle("Error Log");
    viewer->Show();
}

void CArchiverDlg::OnAbout() {
    CAboutDlg about(this);
    about.ShowModal();
}

// ---- schedule
// ------------------------------------------------------------------------------------

namespace {
std::string TimeForDialog(const std::string& stored) {
    return stored == "None" ? "" : stored;
}
std::string TimeFromDialog(const std::string& typed) {
    return typed.empty() ? "None" : typed;
}
}  // namespace

void CArchiverDlg::OnSetStart() {
    if (ArchiverCore::RunInProgress()) return;
    CSetTimeDlg dialog(this, "Start Time:", TimeForDialog(core_.m_strStartTime));
    if (dialog.ShowModal() != wxID_OK) return;
    timer1_.Stop();
    core_.m_strStartTime = TimeFromDialog(dialog.m_strTime);
    core_.StoreText(kArchive, "StartTime", core_.m_strStartTime);
    core_.StoreBool(kArchive, "IncrementMode", false);
    core_.m_nIncrement = 1;  // in memory only: the stored increment stays for increment mode
    core_.m_bIncrementMode = false;
    WriteControls();
    StartTimer1(ScheduleTimerPeriodMs(core_.m_nIncrement));
}

void CArchiverDlg::OnSetStop() {
    if (ArchiverCore::RunInProgress()) return;
    CSetTimeDlg dialog(this, "Stop Time:", TimeForDialog(core_.m_strStopTime));
    if (dialog.ShowModal() != wxID_OK) return;
    core_.m_strStopTime = TimeFromDialog(dialog.m_strTime);
    core_.StoreText(kArchive, "StopTime", core_.m_strStopTime);
    WriteControls();
}

void CArchiverDlg::OnSetIncrement() {
    // A change of schedule in the middle of a run would restart the timer the run stopped.
    if (ArchiverCore::RunInProgress()) return;
    if (!ReadControls()) return;
    if (core_.m_nIncrement < 1) {
        core_.m_nIncrement = SettingToInt(core_.GetSetting(kArchive, "Increment", "1"));
        wxMessageBox("Increment must be greater than zero.", GetTitle(), wxOK, this);
        WriteControls();
        return;
    }
    timer1_.Stop();
    core_.m_bIncrementMode = true;
    core_.StoreInt(kArchive, "Increment", core_.m_nIncrement);
    core_.StoreBool(kArchive, "IncrementMode", true);
    core_.StoreText(kArchive, "StartTime", "None");
    core_.StoreText(kArchive, "StopTime", "None");
    core_.m_strStartTime = core_.m_strStopTime = "None";
    StartTimer1(ScheduleTimerPeriodMs(core_.m_nIncrement));
    WriteControls();
}

void CArchiverDlg::OnTimer(wxTimerEvent& event) {
    // Timer 2 only refreshes the count; during a run that would rebuild the list the run
    // works through, so it waits for the next tick.
    if (event.GetId() == kTimer2) {
        timer2_.Stop();
        if (!ArchiverCore::RunInProgress() && !IsIconized() && core_.m_bActive) RefreshStudyCount();
        return;
    }
    if (ArchiverCore::RunInProgress()) return;
    DebugLog("OnTimer started");
    const wxDateTime now = wxDateTime::Now();
    const bool due = core_.RunIsDue(now.GetHour(), now.GetMinute());
    if ((!IsIconized() && core_.m_bActive) || due) RefreshStudyCount();
    if (due) RunScheduledArchive();
    DebugLog("OnTimer ended");
}

void CArchiverDlg::RunScheduledArchive() {
    timer1_.Stop();
    core_.RunArchive();
    // In Archive method the unattended removal pass follows each run; the Study Deletion
    // dialog that runs it arrives with study removal.
    StartTimer1(ScheduleTimerPeriodMs(core_.m_nIncrement));
    RefreshStudyCount();
}

void CArchiverDlg::OnSize(wxSizeEvent& event) {
    event.Skip();
    if (event.GetSize().GetWidth() >= 201) timer2_.StartOnce(100);
}

void CArchiverDlg::OnActivate(wxActivateEvent& event) {
    core_.m_bActive = event.GetActive();
    event.Skip();
}

}  // namespace mirabel
