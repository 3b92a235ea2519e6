#include "removal/ui/StudyDeletionDlg.h"

#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "core/Text.h"
#include "core/ui/ProgramMessageBox.h"
#include "core/ui/WxText.h"
#include "log/Logs.h"
#include "removal/CandidateLines.h"
#include "removal/CandidateSelection.h"
#include "removal/DeletionCandidates.h"
#include "removal/DeletionPreview.h"
#include "removal/SizeRule.h"

namespace mirabel {

namespace {
// The destination whose archived studies the candidate lists hold. The lists outlive the
// dialog; made for another destination, their count would be another destination's.
std::string& CandidatesMadeFor() {
    static std::string id;
    return id;
}
}  // namespace

CStudyDeletionDlg::CStudyDeletionDlg(RemovalHost& host, wxWindow* parent, RemovalMode mode)
    : LayoutDialog(parent, "IDD_STUDY_DELETION"),
      host_(host),
      m_bAutoMode(mode == RemovalMode::Auto),
      settings_(LoadDeletionSettings(host)),
      autoPass_(*this, kTimer5, [this] { OnAutoPass(); }) {
    FindControls();
    WriteControls();
    // Every change is stored at once; OK and Cancel only close the dialog.
    for (const RuleBox& rule : boxes_)
        rule.box->Bind(wxEVT_CHECKBOX, [this, rule](wxCommandEvent&) {
            ReadControls();
            StoreDeleteSetting(host_, *rule.setting, settings_.*rule.member);
            EnableRuleFields();
        });
    for (const RuleText& rule : texts_)
        rule.edit->Bind(wxEVT_TEXT, [this, rule](wxCommandEvent&) {
            ReadControls();
            StoreDeleteSetting(host_, *rule.setting, settings_.*rule.member);
        });
    OnButton("IDC_UPDATE_SELECTED", [this] { OnUpdateSelected(); });
    OnButton("IDC_SELECT_STUDIES", [this] { OnSelectStudies(); });
    ShowStoreSpace();
    if (m_bAutoMode) {
        autoPass_.Start();
    } else if ((!host_.Candidates().server.empty() || !host_.Candidates().temp.empty()) &&
               CandidatesMadeFor() == host_.Config().m_strCurrentArchive) {
        // The lists outlive the dialog: a reopened dialog shows the selection left behind.
        ShowSelection();
    } else {
        // The error log has any problem; the operator hears of it at Update Selected Studies.
        UpdateSelectedStudies();
    }
    FitToContent();
}

void CStudyDeletionDlg::FindControls() {
    const auto box = [this](const char* name) { return Find<wxCheckBox>(name); };
    const auto edit = [this](const char* name) { return Find<wxTextCtrl>(name); };
    boxes_ = {{box("IDC_BY_SIZE"), &kBySize, &DeletionSettings::m_bBySize},
              {box("IDC_BY_DATE"), &kByDate, &DeletionSettings::m_bByDate},
              {box("IDC_TEMP_DEL"), &kTempDel, &DeletionSettings::m_bTempDel},
              {box("IDC_SKIP"), &kSkip, &DeletionSettings::m_bSkip},
              {box("IDC_VERIFY_FOLDER_COPIES"), &kVerifyFolderCopies,
               &DeletionSettings::m_bVerifyFolderCopies}};
    texts_ = {{edit("IDC_NUMB_DAYS"), &kNumbDays, &DeletionSettings::m_strNumbDays},
              {edit("IDC_NUMB_GBYTES"), &kNumbGBytes, &DeletionSettings::m_strNumbGBytes},
              {edit("IDC_TEMP_DAYS"), &kTempDays, &DeletionSettings::m_strTempDays}};
    selectedCount_ = Find<wxStaticText>("IDC_SELECTED_COUNT");
    storeSpace_ = Find<wxStaticText>("IDC_IMAGE_STORE_SPACE");
    selectionPreview_ = Find<wxTextCtrl>("IDC_SELECTION_PREVIEW");
}

void CStudyDeletionDlg::WriteControls() {
    for (const RuleBox& rule : boxes_) rule.box->SetValue(settings_.*rule.member);
    // ChangeValue, not SetValue: showing a setting must not store it again.
    for (const RuleText& rule : texts_) rule.edit->ChangeValue(ToWx(settings_.*rule.member));
    EnableRuleFields();
}

void CStudyDeletionDlg::EnableRuleFields() {
    Find<wxWindow>("IDC_NUMB_DAYS")->Enable(settings_.m_bByDate);
    Find<wxWindow>("IDC_NUMB_GBYTES")->Enable(settings_.m_bBySize);
    Find<wxWindow>("IDC_TEMP_DAYS")->Enable(settings_.m_bTempDel);
}

void CStudyDeletionDlg::ReadControls() {
    for (const RuleBox& rule : boxes_) settings_.*rule.member = rule.box->GetValue();
    for (const RuleText& rule : texts_) settings_.*rule.member = FromWx(rule.edit->GetValue());
}

void CStudyDeletionDlg::ShowSelection() {
    selectedCount_->SetLabel(ToWx(SelectedCountText(host_.Candidates())));
    // What Delete Now would take, with sizes, before anything goes.
    selectionPreview_->ChangeValue(ToWx(SelectedStudiesText(host_.Config(), host_.Candidates())));
    ShowStoreSpace();
}

void CStudyDeletionDlg::ShowStoreSpace() {
    storeSpace_->SetLabel(ToWx(ImageStoreSpaceText(host_.Config())));
}

SelectionOutcome CStudyDeletionDlg::UpdateSelectedStudies() {
    ReadControls();
    SelectionOutcome outcome = RunSelectionPass(host_.Candidates(), host_.Config(), settings_);
    CandidatesMadeFor() = host_.Config().m_strCurrentArchive;
    ShowSelection();
    return outcome;
}

void CStudyDeletionDlg::OnUpdateSelected() {
    const SelectionOutcome outcome = UpdateSelectedStudies();
    if (!outcome.Clean()) ShowProblems(outcome);
}

void CStudyDeletionDlg::ShowProblems(const SelectionOutcome& outcome) {
    std::string text;
    for (const std::string& problem : outcome.Problems())
        text += (text.empty() ? "" : "\n") + AsSentence(problem);
    ProgramMessageBox(ToWx(text), wxOK | wxICON_WARNING, this);
}

void CStudyDeletionDlg::OnSelectStudies() {
    CSelectStudiesDlg select(host_, this);
    select.ShowModal();
    ShowSelection();
}

void CStudyDeletionDlg::OnAutoPass() {
    const SelectionOutcome outcome = UpdateSelectedStudies();
    if (!outcome.Clean()) {
        // Nobody is at the desk for the unattended pass, and the schedule stands still until
        // this window closes: a question here would stop every later run until someone came.
        // The logs say why nothing was deleted; Update Selected Studies shows it to a person.
        const std::string notStarted = "Delete not started: " + outcome.Problems().front();
        ErrorLog(notStarted);
        ActivityLog(notStarted);
        EndModal(wxID_OK);
        return;
    }
    CSelectStudiesDlg select(host_, this, RemovalMode::Auto);
    select.ShowModal();
    EndModal(wxID_OK);
}

}  // namespace mirabel
