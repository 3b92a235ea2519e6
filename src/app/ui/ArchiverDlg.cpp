#include "app/ui/ArchiverDlg.h"

#include <functional>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/datetime.h>
#include <wx/combobox.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/scopeguard.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/toplevel.h>

#include "app/CoreSelectionHost.h"
#include "app/RunEnd.h"
#include "app/StatusReportBuild.h"
#include "app/WindowRun.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/RestoreStudiesDialog.h"
#include "app/ui/SetTimeDlg.h"
#include "archive/ui/ArchiveProgressDlg.h"
#include "core/Text.h"
#include "core/ui/ProgramMessageBox.h"
#include "core/ui/WxText.h"
#include "config/ui/AddArchiveDlg.h"
#include "config/ArchiveDestination.h"
#include "config/ui/EditFtpArchiveDlg.h"
#include "config/ui/EditNfsArchiveDlg.h"
#include "config/ui/EditRemArchiveDlg.h"
#include "config/ui/EditServerArchiveDlg.h"
#include "log/ui/LogDlg.h"
#include "removal/ui/StudyDeletionDlg.h"
#include "log/Logs.h"
#include "selection/ui/SelectArchiveStudiesDlg.h"

namespace mirabel {

CArchiverDlg* g_pMainDlg = nullptr;

namespace {
constexpr int kTimer1 = 1;
constexpr int kTimer2 = 2;
// How long the database settings stay unchanged before the count follows them: typing a path
// counts once, when the typing pauses, not at every key.
constexpr int kSettingsSettleMs = 400;
constexpr int kMinuteMs = 60000;

// The Edit Archive dialog that matches the destination's type; a type read from the list file
// that is none of the known ones was read as removable media and is edited as such.
int ShowEditArchiveDialog(ArchiveDestination& destination, wxWindow* parent) {
    switch (destination.Kind()) {
        case DestinationKind::Ftp:
            return CEditFtpArchiveDlg(&destination, parent).ShowModal();
        case DestinationKind::Nfs:
            return CEditNfsArchiveDlg(&destination, parent).ShowModal();
        case DestinationKind::Server:
            return CEditServerArchiveDlg(&destination, parent).ShowModal();
        case DestinationKind::Removable:
        case DestinationKind::Unknown:
            break;
    }
    return CEditRemArchiveDlg(&destination, parent).ShowModal();
}

}  // namespace

CArchiverDlg::CArchiverDlg(RegistryHive& hive, wxWindow* parent)
    : LayoutDialog(parent, "IDD_ARCHIVER_DIALOG"),
      core_(hive),
      timer1_(this, kTimer1),
      timer2_(this, kTimer2) {
    g_pMainDlg = this;
    core_.LoadInitialSettings();
    FindControls();
    BindHandlers();
    WriteControls();
    // The run's lock is still held when it ends: the Status window reloads once it has unwound.
    OnRunEnded([this] { CallAfter([this] { ReloadStatusAfterRun(); }); });
}

CArchiverDlg::~CArchiverDlg() {
    timer1_.Stop();
    timer2_.Stop();
    OnRunEnded(nullptr);
    // The viewers have no parent to take them along: they go with the program's window.
    for (wxWeakRef<CLogDlg>& viewer : logViewers_)
        if (viewer) viewer->Destroy();
    if (statusWindow_) statusWindow_->Destroy();
    if (g_pMainDlg == this) g_pMainDlg = nullptr;
}

void CArchiverDlg::FindControls() {
    dbJet_ = Find<wxRadioButton>("IDC_DB_JET");
    dbSql_ = Find<wxRadioButton>("IDC_DB_SQL");
    dbOracle_ = Find<wxRadioButton>("IDC_DB_ORACLE");
    databaseFile_ = Find<wxTextCtrl>("IDC_DATABASE_FILE");
    databasePassword_ = Find<wxTextCtrl>("IDC_DATABASE_PASSWORD");
    imagePath_ = Find<wxTextCtrl>("IDC_IMAGE_PATH");
    sqlServer_ = Find<wxTextCtrl>("IDC_SQL_SERVER");
    sqlDb_ = Find<wxTextCtrl>("IDC_SQL_DB");
    sqlUser_ = Find<wxTextCtrl>("IDC_SQL_USER");
    sqlPassword_ = Find<wxTextCtrl>("IDC_SQL_PASSWORD");
    currentArchive_ = Find<wxComboBox>("IDC_CURRENT_ARCHIVE");
    methodArchive_ = Find<wxRadioButton>("IDC_METHOD_ARCHIVE");
    methodReplicate_ = Find<wxRadioButton>("IDC_METHOD_REPLICATE");
    dbField_ = Find<wxComboBox>("IDC_DB_FIELD");
    sendAll_ = Find<wxRadioButton>("IDC_SEND_ALL");
    sendSelected_ = Find<wxRadioButton>("IDC_SEND_SELECTED");
    reside_ = Find<wxCheckBox>("IDC_RESIDE");
    daysBeforeArchive_ = Find<wxTextCtrl>("IDC_DAYS_BEFORE_ARCHIVE");
    prelim_ = Find<wxCheckBox>("IDC_PRELIM");
    maxStudies_ = Find<wxCheckBox>("IDC_MAX_STUDIES");
    maxStudiesCount_ = Find<wxTextCtrl>("IDC_MAX_STUDIES_COUNT");
    final_ = Find<wxCheckBox>("IDC_FINAL");
    status_ = Find<wxStaticText>("IDC_STATUS");
    startTime_ = Find<wxStaticText>("IDC_START_TIME");
    stopTime_ = Find<wxStaticText>("IDC_STOP_TIME");
    increment_ = Find<wxTextCtrl>("IDC_INCREMENT");
    removeStudies_ = Find<wxWindow>("IDC_REMOVE_STUDIES");
    archiveNote_ = Find<wxStaticText>("IDC_ARCHIVE_NOTE");
}

void CArchiverDlg::BindHandlers() {
    auto onText = [this](wxTextCtrl* edit, std::function<void()> handler) {
        BindUnlessBusy(*edit, wxEVT_TEXT, std::move(handler));
    };
    auto onRadio = [this](wxRadioButton* radio, std::function<void()> handler) {
        BindUnlessBusy(*radio, wxEVT_RADIOBUTTON, std::move(handler));
    };
    auto onCheck = [this](wxCheckBox* box, Criterion criterion, wxWindow* valueEdit) {
        BindUnlessBusy(*box, wxEVT_CHECKBOX, [=, this] { OnCriterionBox(criterion, valueEdit); });
    };
    auto onDatabaseText = [&](wxTextCtrl* edit, const char* key) {
        onText(edit, [=, this] { OnStoreDatabaseText(edit, key); });
    };

    onRadio(dbJet_, [this] { OnDbType(DatabaseKind::Jet); });
    onRadio(dbSql_, [this] { OnDbType(DatabaseKind::SqlServer); });
    onRadio(dbOracle_, [this] { OnDbType(DatabaseKind::Oracle); });
    onDatabaseText(databaseFile_, "Database File");
    onDatabaseText(imagePath_, "Image Path");
    onDatabaseText(databasePassword_, "Database Password");
    onDatabaseText(sqlServer_, "SQL_Server");
    onDatabaseText(sqlUser_, "SQL_User");
    onDatabaseText(sqlPassword_, "SQL_Password");
    onDatabaseText(sqlDb_, "SQL_DB");
    onText(maxStudiesCount_,
           [this] { OnChangeCount(maxStudiesCount_, &ArchiverCore::StoreMaxStudiesCount); });
    onText(daysBeforeArchive_,
           [this] { OnChangeCount(daysBeforeArchive_, &ArchiverCore::StoreDaysBeforeArchive); });
    BindUnlessBusy(*currentArchive_, wxEVT_COMBOBOX, [this] { OnSelChangeCurrentArchive(); });
    onRadio(methodArchive_, [this] { OnArchiveMethod(); });
    onRadio(methodReplicate_, [this] { OnReplicateMethod(); });
    BindUnlessBusy(*dbField_, wxEVT_COMBOBOX_DROPDOWN, [this] { OnDropDownDbField(); });
    BindUnlessBusy(*dbField_, wxEVT_COMBOBOX, [this] { OnSelChangeDbField(); });
    onRadio(sendAll_, [this] { OnSendAll(); });
    onRadio(sendSelected_, [this] { OnSendSelected(); });
    onCheck(reside_, Criterion::Reside, daysBeforeArchive_);
    onCheck(maxStudies_, Criterion::MaxStudies, maxStudiesCount_);
    onCheck(prelim_, Criterion::Prelim, nullptr);
    onCheck(final_, Criterion::Final, nullptr);

    OnButtonUnlessBusy("IDC_BROWSE_DATABASE", [this] { OnBrowseDatabaseFile(); });
    OnButtonUnlessBusy("IDC_BROWSE_IMAGE_PATH", [this] { OnBrowseImagePath(); });
    OnButtonUnlessBusy("IDC_ADD_ARCHIVE", [this] { OnAddArchive(); });
    OnButtonUnlessBusy("IDC_EDIT_ARCHIVE", [this] { OnEditArchive(); });
    OnButtonUnlessBusy("IDC_START_ARCHIVE_NOW", [this] { OnStartArchiveNow(); });
    OnButtonUnlessBusy("IDC_REMOVE_STUDIES", [this] { OpenStudyDeletion(RemovalMode::Manual); });
    OnButtonUnlessBusy("IDC_SELECT_STUDIES", [this] { OnSelectStudiesToArchive(); });
    OnButtonUnlessBusy("IDC_SET_START", [this] { OnSetStart(); });
    OnButtonUnlessBusy("IDC_SET_STOP", [this] { OnSetStop(); });
    OnButtonUnlessBusy("IDC_SET_INCREMENT", [this] { OnSetIncrement(); });
    // The logs can be read at any time, during a run too.
    OnButton("IDC_VIEW_LOG", [this] { OnViewLog(false); });
    OnButton("IDC_VIEW_ERROR_LOG", [this] { OnViewLog(true); });
    OnButton("IDC_VIEW_STATUS", [this] { OnViewStatus(); });

    // A schedule tick during a run is lost: the schedule waits for the next one.
    BindUnlessBusy(
        *this, wxEVT_TIMER, [this] { OnScheduleTick(); }, kTimer1);
    Bind(
        wxEVT_TIMER, [this](wxTimerEvent&) { OnCountTick(); }, kTimer2);

    // The window has no OK button: Enter and the OK command change nothing. Escape and the
    // close box end the dialog, and with it the program.
    OnButton(wxID_OK, [] {});
    Bind(wxEVT_CLOSE_WINDOW, &CArchiverDlg::OnCloseWindow, this);
    Bind(wxEVT_SIZE, &CArchiverDlg::OnSize, this);
    Bind(wxEVT_ACTIVATE, &CArchiverDlg::OnActivate, this);

    // GTK has no system menu to extend: the About box is on F1 and on the window's context
    // menu instead.
    const int aboutId = wxWindow::NewControlId();
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { OnAbout(); }, aboutId);
    wxAcceleratorEntry about(wxACCEL_NORMAL, WXK_F1, aboutId);
    SetAcceleratorTable(wxAcceleratorTable(1, &about));
    const int restoreId = wxWindow::NewControlId();
    BindUnlessBusy(
        *this, wxEVT_MENU, [this] { OnRestoreStudies(); }, restoreId);
    Bind(wxEVT_CONTEXT_MENU, [this, aboutId, restoreId](wxContextMenuEvent&) {
        wxMenu menu;
        menu.Append(restoreId, "&Restore Studies...");
        menu.Append(aboutId, "&About Corvana Study Archiver...");
        PopupMenu(&menu);
    });
}

// ---- start-up -------------------------------------------------------------------------------

bool CArchiverDlg::Initialise() {
    core_.SetTitle(FromWx(GetTitle()));
    if (!core_.ReadCurrentArchiveFile()) {
        ProgramMessageBox("Could not create Default.cfg!\nExiting.", wxOK, this);
        return false;
    }
    FillDestinationList(core_.ReadDestinationList());
    const std::string& stored = core_.Config().m_strCurrentArchive;
    if (!stored.empty()) SelectDestinationEntry(stored);
    OnSelChangeCurrentArchive();
    core_.FindCurrentArchive();
    core_.CountStudiesAtStartUp();
    WriteControls();
    StartTimer1(core_.SchedulePeriodMs());
    return true;
}

// Each entry shows the destination's path beside its id; the id, which selects and stores the
// destination, is the entry's client data, never read back from the text.
void CArchiverDlg::FillDestinationList(const std::vector<std::string>& ids) {
    currentArchive_->Clear();
    for (const std::string& id : ids) {
        const ArchiveDestination* destination = FindArchive(id);
        currentArchive_->Append(ToWx(destination ? ListEntryText(*destination) : id),
                                new wxStringClientData(ToWx(id)));
    }
}

std::string CArchiverDlg::DestinationIdAt(int index) const {
    const auto* id = static_cast<wxStringClientData*>(currentArchive_->GetClientObject(index));
    return id ? FromWx(id->GetData()) : std::string();
}

void CArchiverDlg::SelectDestinationEntry(const std::string& id) {
    // Whole-id match ignoring case, as a search of the list for the id alone would match.
    for (int index = 0; index < static_cast<int>(currentArchive_->GetCount()); ++index)
        if (ToWx(DestinationIdAt(index)).IsSameAs(ToWx(id), false)) {
            currentArchive_->SetSelection(index);
            return;
        }
}

void CArchiverDlg::StartTimer1(int periodMs) {
    timer1_.Start(periodMs > 0 ? periodMs : kMinuteMs);
}

void CArchiverDlg::Tick(int timerId) {
    wxTimerEvent tick(timerId == kTimer1 ? timer1_ : timer2_);
    ProcessWindowEvent(tick);
}

// ---- data exchange ----------------------------------------------------------------------------

bool CArchiverDlg::ReadControls() {
    auto integer = [](wxTextCtrl* edit) { return ReadIntegerEdit(FromWx(edit->GetValue())); };
    ControlValues values;
    values.databaseFile = FromWx(databaseFile_->GetValue());
    values.imagePath = FromWx(imagePath_->GetValue());
    values.maxStudies = integer(maxStudiesCount_);
    values.daysBeforeArchive = integer(daysBeforeArchive_);
    values.databasePassword = FromWx(databasePassword_->GetValue());
    values.sqlServer = FromWx(sqlServer_->GetValue());
    values.sqlUser = FromWx(sqlUser_->GetValue());
    values.sqlPassword = FromWx(sqlPassword_->GetValue());
    values.sqlDb = FromWx(sqlDb_->GetValue());
    values.dbField = FromWx(dbField_->GetValue());
    values.reside = reside_->GetValue();
    values.prelim = prelim_->GetValue();
    values.maxStudiesOn = maxStudies_->GetValue();
    values.final = final_->GetValue();
    values.increment = integer(increment_);

    const std::optional<IntegerEdit> unreadable = core_.TakeControlValues(values);
    if (!unreadable) return true;
    ProgramMessageBox("Please enter an integer.", wxOK | wxICON_EXCLAMATION, this);
    switch (*unreadable) {
        case IntegerEdit::MaxStudies:
            maxStudiesCount_->SetFocus();
            break;
        case IntegerEdit::DaysBeforeArchive:
            daysBeforeArchive_->SetFocus();
            break;
        case IntegerEdit::Increment:
            increment_->SetFocus();
            break;
    }
    return false;
}

void CArchiverDlg::WriteControls() {
    const ArchiverConfig& c = core_.Config();
    // ChangeValue, not SetValue: showing a value must not store it again.
    databaseFile_->ChangeValue(ToWx(c.m_strDatabaseFile));
    imagePath_->ChangeValue(ToWx(c.m_strImagePath));
    maxStudiesCount_->ChangeValue(wxString::Format("%d", c.m_nMaxStudies));
    daysBeforeArchive_->ChangeValue(wxString::Format("%d", c.m_nDaysBeforeArchive));
    startTime_->SetLabel(ToWx(c.m_strStartTime));
    stopTime_->SetLabel(ToWx(c.m_strStopTime));
    status_->SetLabel(ToWx(core_.Window().m_strStatus));
    databasePassword_->ChangeValue(ToWx(c.m_strDatabasePassword));
    sqlServer_->ChangeValue(ToWx(c.m_strSqlServer));
    sqlUser_->ChangeValue(ToWx(c.m_strSqlUser));
    sqlPassword_->ChangeValue(ToWx(c.m_strSqlPassword));
    sqlDb_->ChangeValue(ToWx(c.m_strSqlDb));
    dbField_->ChangeValue(ToWx(c.m_strDbField));
    reside_->SetValue(c.m_bReside);
    prelim_->SetValue(c.m_bPrelim);
    maxStudies_->SetValue(c.m_bMaxStudies);
    final_->SetValue(c.m_bFinal);
    increment_->ChangeValue(wxString::Format("%d", c.m_nIncrement));
}

// ---- destination selection and per-destination settings ------------------------------------

void CArchiverDlg::OnSelChangeCurrentArchive() {
    ReadControls();
    if (currentArchive_->GetSelection() == wxNOT_FOUND) return;
    core_.SelectArchive(DestinationIdAt(currentArchive_->GetSelection()));
    LoadArchiveSettings();
    SetTitle(ToWx(core_.Caption()));
    archiveNote_->SetLabel(wxString());
    RefreshCountSoon();
}

void CArchiverDlg::LoadArchiveSettings() {
    // The core has loaded the configuration; here the controls follow it.
    WriteControls();
    ApplyMethodState();
    ApplyCriteriaState();
    ApplyDatabaseKindState();
}

void CArchiverDlg::ApplyMethodState() {
    if (!core_.Config().m_bReplicate) {
        methodArchive_->SetValue(true);
        OnArchiveMethod();
    } else {
        methodReplicate_->SetValue(true);
        OnReplicateMethod();
    }
}

void CArchiverDlg::ApplyCriteriaState() {
    const ArchiverConfig& c = core_.Config();
    sendAll_->SetValue(c.m_bSendAll);
    sendSelected_->SetValue(!c.m_bSendAll);
    EnableCriteriaBoxes(!c.m_bSendAll);
    daysBeforeArchive_->Enable(!c.m_bSendAll && c.m_bReside);
    maxStudiesCount_->Enable(!c.m_bSendAll && c.m_bMaxStudies);
}

void CArchiverDlg::EnableCriteriaBoxes(bool enable) {
    for (wxWindow* box : {static_cast<wxWindow*>(reside_), static_cast<wxWindow*>(prelim_),
                          static_cast<wxWindow*>(final_), static_cast<wxWindow*>(maxStudies_)})
        box->Enable(enable);
}

void CArchiverDlg::ApplyDatabaseKindState() {
    switch (core_.Config().DbKind()) {
        case DatabaseKind::Jet:
            dbJet_->SetValue(true);
            break;
        case DatabaseKind::SqlServer:
            dbSql_->SetValue(true);
            break;
        case DatabaseKind::Oracle:
        case DatabaseKind::Unknown:
            dbOracle_->SetValue(true);
            break;
    }
}

// ---- handlers that store one setting ----------------------------------------------------------

void CArchiverDlg::OnStoreDatabaseText(wxTextCtrl* edit, const char* key) {
    ReadControls();
    core_.StoreDatabaseSetting(key, FromWx(edit->GetValue()));
    RefreshCountSoon();
}

void CArchiverDlg::OnDbType(DatabaseKind kind) {
    ReadControls();
    core_.ChooseDatabaseKind(kind);
    RefreshCountSoon();
}

void CArchiverDlg::OnChangeCount(wxTextCtrl* edit, void (ArchiverCore::*store)()) {
    if (edit->GetValue().empty() || !ReadControls()) return;
    (core_.*store)();
}

// ---- method and criteria ----------------------------------------------------------------------

void CArchiverDlg::OnArchiveMethod() {
    ReadControls();
    core_.ChooseArchiveMethod();
    removeStudies_->Enable();
    dbField_->Disable();
    WriteControls();
}

void CArchiverDlg::OnReplicateMethod() {
    dbField_->Enable();
    ReadControls();
    FillFieldList(core_.ChooseReplicateMethod());
    const std::string& column = core_.Config().m_strDbField;
    if (column.empty())
        dbField_->SetSelection(wxNOT_FOUND);
    else
        dbField_->SetStringSelection(ToWx(column));
    removeStudies_->Disable();
    WriteControls();
}

void CArchiverDlg::FillFieldList(const std::vector<std::string>& columns) {
    dbField_->Clear();
    for (const std::string& column : columns) dbField_->Append(ToWx(column));
}

void CArchiverDlg::OnDropDownDbField() {
    const int remembered = dbField_->GetSelection();
    const wxString text = dbField_->GetValue();
    FillFieldList(core_.ArchiveColumnChoices());
    if (remembered != wxNOT_FOUND && remembered < static_cast<int>(dbField_->GetCount()))
        dbField_->SetSelection(remembered);
    else
        dbField_->ChangeValue(text);
}

void CArchiverDlg::OnSelChangeDbField() {
    core_.ChooseArchiveColumn(FromWx(dbField_->GetStringSelection()));
    WriteControls();
    RefreshCountSoon();
}

void CArchiverDlg::OnSendAll() {
    core_.SendAllStudies();
    EnableCriteriaBoxes(false);
    maxStudiesCount_->Disable();
    daysBeforeArchive_->Disable();
    WriteControls();
}

void CArchiverDlg::OnSendSelected() {
    ReadControls();
    core_.SendSelectedStudies();
    EnableCriteriaBoxes(true);
    // An edit whose box is off keeps the state it has.
    if (core_.CriterionIsOn(Criterion::Reside)) daysBeforeArchive_->Enable();
    if (core_.CriterionIsOn(Criterion::MaxStudies)) maxStudiesCount_->Enable();
    WriteControls();
}

void CArchiverDlg::OnCriterionBox(Criterion criterion, wxWindow* valueEdit) {
    ReadControls();
    core_.ApplyCriterion(criterion);
    if (valueEdit) valueEdit->Enable(core_.CriterionIsOn(criterion));
    WriteControls();
}

void CArchiverDlg::RefreshCountSoon() {
    timer2_.StartOnce(kSettingsSettleMs);
}

void CArchiverDlg::RefreshStudyCount() {
    core_.RefreshStudyCount();
    WriteControls();
    // Every run ends here: a refused close no longer needs its note.
    if (archiveNote_->GetLabel() == kCloseAfterRun) archiveNote_->SetLabel(wxString());
}

// ---- browsing, destinations, runs ---------------------------------------------------------------

void CArchiverDlg::OnBrowseDatabaseFile() {
    ReadControls();
    wxFileDialog dialog(this, "Open", wxString(), ToWx(core_.Config().m_strDatabaseFile),
                        "Access Database Files (*.mdb)|*.mdb|All Files (*.*)|*.*", wxFD_OPEN);
    if (dialog.ShowModal() != wxID_OK) return;
    core_.ChangeDatabaseFile(FromWx(dialog.GetPath()));
    WriteControls();
    RefreshCountSoon();
}

void CArchiverDlg::OnBrowseImagePath() {
    ReadControls();
    // A cancelled picker keeps the current path, which is stored all the same.
    const std::string current = core_.Config().m_strImagePath;
    wxDirDialog dialog(this, "Select Images Path", ToWx(current));
    core_.ChangeImagePath(dialog.ShowModal() == wxID_OK ? FromWx(dialog.GetPath()) : current);
    WriteControls();
    RefreshCountSoon();
}

void CArchiverDlg::OnAddArchive() {
    ReadControls();
    CAddArchiveDlg dialog(this);
    if (dialog.ShowModal() != wxID_OK) return;
    SaveArchiveList();
    // The destination just added is the one the operator goes on to set up: it becomes the
    // current one at once, keeping the database settings on screen when it has none yet.
    const std::string added = g_Archives.back()->m_strId;
    core_.SelectAddedArchive(added);
    SelectDestinationEntry(added);
    LoadArchiveSettings();
    SetTitle(ToWx(core_.Caption()));
    archiveNote_->SetLabel(ToWx("Added " + added + ": it is now the current archive."));
    RefreshCountSoon();
}

void CArchiverDlg::OnEditArchive() {
    if (!g_pCurrentArchive) return;
    if (ShowEditArchiveDialog(*g_pCurrentArchive, this) != wxID_OK) return;
    SaveArchiveList();
    core_.FollowEditedArchive();
    FillDestinationList(ArchiverCore::DestinationIds());
    SelectDestinationEntry(core_.Config().m_strCurrentArchive);
    RefreshCountSoon();
}

void CArchiverDlg::SaveArchiveList() {
    // A list that cannot be written stays in memory for this run, and the list shown is kept.
    if (core_.SaveArchiveList()) FillDestinationList(ArchiverCore::DestinationIds());
}

void CArchiverDlg::OnStartArchiveNow() {
    std::string refusal;
    std::optional<RunMarker> run = core_.BeginRun(refusal);
    if (!run) {
        ProgramMessageBox(ToWx(AsSentence(refusal)), wxOK, this);
        return;
    }
    timer1_.Stop();
    core_.ArchiveNow(*run);
    run.reset();
    StartTimer1(kMinuteMs);
    ReadControls();
    RefreshStudyCount();
}

void CArchiverDlg::OnSelectStudiesToArchive() {
    CoreSelectionHost host(core_);
    CSelectArchiveStudiesDlg dialog(host);
    dialog.ShowModal();
}

void CArchiverDlg::OnRestoreStudies() {
    RestoreStudiesDialog dialog(core_, this);
    dialog.ShowModal();
}

void CArchiverDlg::OnViewLog(bool errorLog) {
    // One viewer per log: a second click brings the open one to the front, reloaded.
    if (CLogDlg* open = LogViewer(errorLog)) {
        open->Reload();
        open->Iconize(false);
        open->Raise();
        return;
    }
    wxWeakRef<CLogDlg>& viewer = logViewers_[errorLog ? 1 : 0];
    viewer = new CLogDlg(errorLog ? kErrorLogFile : kActivityLogFile);
    if (errorLog) viewer->SetTitle("Error Log");
    viewer->Show();
}

CLogDlg* CArchiverDlg::LogViewer(bool errorLog) const {
    CLogDlg* viewer = logViewers_[errorLog ? 1 : 0].get();
    // A closed viewer waits for the next idle time to be deleted; it is no longer open.
    return viewer && !wxTheApp->IsScheduledForDestruction(viewer) ? viewer : nullptr;
}

void CArchiverDlg::OnViewStatus() {
    // One Status window: a second click brings the open one to the front, reloaded.
    if (StatusWindow* open = StatusViewer()) {
        open->Reload();
        open->Iconize(false);
        open->Raise();
        return;
    }
    // A run works through the image database and the study list: the report waits for its end.
    statusWindow_ = new StatusWindow([this]() -> std::optional<StatusReport> {
        if (core_.RunInProgress()) return std::nullopt;
        return BuildStatusReport(core_, ReportDepth::Full);
    });
    statusWindow_->Show();
}

StatusWindow* CArchiverDlg::StatusViewer() const {
    StatusWindow* status = statusWindow_.get();
    return status && !wxTheApp->IsScheduledForDestruction(status) ? status : nullptr;
}

void CArchiverDlg::ReloadStatusAfterRun() {
    if (StatusWindow* status = StatusViewer()) status->Reload();
}

void CArchiverDlg::OnAbout() {
    CAboutDlg about(this);
    about.ShowModal();
}

// ---- schedule -------------------------------------------------------------------------------

void CArchiverDlg::OnSetStart() {
    CSetTimeDlg dialog(this, "Start Time:", core_.StartTimeForEditing());
    if (dialog.ShowModal() != wxID_OK) return;
    timer1_.Stop();
    core_.SetStartTime(dialog.m_strTime);
    WriteControls();
    StartTimer1(core_.SchedulePeriodMs());
}

void CArchiverDlg::OnSetStop() {
    CSetTimeDlg dialog(this, "Stop Time:", core_.StopTimeForEditing());
    if (dialog.ShowModal() != wxID_OK) return;
    core_.SetStopTime(dialog.m_strTime);
    WriteControls();
}

void CArchiverDlg::OnSetIncrement() {
    if (!ReadControls()) return;
    if (!core_.SetIncrement()) {
        ProgramMessageBox(kIncrementRefused, wxOK, this);
        WriteControls();
        return;
    }
    timer1_.Stop();
    StartTimer1(core_.SchedulePeriodMs());
    WriteControls();
}

void CArchiverDlg::OnScheduleTick() {
    if (removalWindowOpen_) {
        DebugLog(kScheduleWaitsForRemoval);
        return;
    }
    DebugLog("OnTimer started");
    const wxDateTime now = wxDateTime::Now();
    if (core_.RunIsDue(now.GetHour(), now.GetMinute()))
        RunScheduledArchive();
    else if (core_.CountIsWatched(IsIconized()))
        RefreshStudyCount();
    DebugLog("OnTimer ended");
}

void CArchiverDlg::RunScheduledArchive() {
    std::optional<RunMarker> run = core_.BeginScheduledRun();
    if (!run) {
        if (core_.CountIsWatched(IsIconized())) RefreshStudyCount();
        return;
    }
    // The run works through the list made here, under its lock, so that no other run selects
    // the same studies meanwhile.
    const bool listed = core_.ListStudiesForRun();
    WriteControls();
    // The activity log says why; the schedule tries again at its next tick.
    if (!listed) return;
    timer1_.Stop();
    core_.RunArchive(*run);
    run.reset();
    // In Archive method the unattended removal pass follows each run, as a run of its own.
    if (!core_.Config().m_bReplicate) OpenStudyDeletion(RemovalMode::Auto);
    StartTimer1(core_.SchedulePeriodMs());
    RefreshStudyCount();
}

void CArchiverDlg::OpenStudyDeletion(RemovalMode mode) {
    // While the removal windows are open, a scheduled run and its unattended pass would
    // rebuild the candidate lists under the list the operator is highlighting in.
    removalWindowOpen_ = true;
    wxON_BLOCK_EXIT_SET(removalWindowOpen_, false);
    CStudyDeletionDlg deletion(removalHost_, this, mode);
    deletion.ShowModal();
}

void CArchiverDlg::OnCountTick() {
    // During a run the count must not rebuild the list the run works through; the tick ends
    // in the debug log all the same, as every tick does.
    if (!core_.RunInProgress() && core_.CountIsWatched(IsIconized())) RefreshStudyCount();
    DebugLog("OnTimer ended");
}

void CArchiverDlg::OnSize(wxSizeEvent& event) {
    event.Skip();
    if (event.GetSize().GetWidth() >= 201) timer2_.StartOnce(100);
}

void CArchiverDlg::OnCloseWindow(wxCloseEvent& event) {
    // Ending the program in the middle of a run would only hide this window: the run goes on
    // behind its progress window and the program vanishes when it ends. The run is stopped by
    // its own Cancel; the window closes once it is over.
    if (Busy() && event.CanVeto()) {
        event.Veto();
        archiveNote_->SetLabel(kCloseAfterRun);
        for (wxWindow* window : wxTopLevelWindows)
            if (dynamic_cast<CArchiveProgressDlg*>(window)) window->Raise();
        return;
    }
    event.Skip();
}

void CArchiverDlg::OnActivate(wxActivateEvent& event) {
    core_.SetActive(event.GetActive());
    event.Skip();
}

}  // namespace mirabel
