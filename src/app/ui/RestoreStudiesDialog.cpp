#include "app/ui/RestoreStudiesDialog.h"

#include "app/WindowRun.h"

#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "app/RestoreCommand.h"
#include "archive/RunState.h"
#include "catalog/CatalogDatabase.h"
#include "core/ui/ProgramMessageBox.h"
#include "core/ui/WxText.h"
#include "selection/ResultLine.h"
#include "selection/ui/SearchOutcomeMessage.h"

namespace mirabel {

namespace {
constexpr const char* kRemoved = "Archive";
}

std::string RestoreLine(const SearchResult& study) {
    std::string line = FitToWidth(study.m_strLastName + ", " + study.m_strFirstName, 23);
    line = FitToWidth(line + "  " + study.m_strMrn, 38);
    line = FitToWidth(line + "  " + study.m_strExamDate, 57);
    return line + "  " + study.m_strArchiveValue;
}

RestoreStudiesDialog::RestoreStudiesDialog(ArchiverCore& core, wxWindow* parent)
    : LayoutDialog(parent, "IDD_RESTORE_STUDIES"), core_(core) {
    results_ = Find<wxListBox>("IDC_RESULTS");
    lastName_ = Find<wxTextCtrl>("IDC_LAST_NAME");
    firstName_ = Find<wxTextCtrl>("IDC_FIRST_NAME");
    mrn_ = Find<wxTextCtrl>("IDC_MRN");
    dateFrom_ = Find<wxTextCtrl>("IDC_DATE_FROM");
    dateTo_ = Find<wxTextCtrl>("IDC_DATE_TO");
    // The lines are laid out in character columns under their captions.
    const wxFont fixed(
        wxFontInfo(results_->GetFont().GetPointSize()).Family(wxFONTFAMILY_TELETYPE));
    results_->SetFont(fixed);
    Find<wxStaticText>("IDC_CAPTIONS")->SetFont(fixed);
    OnButtonUnlessBusy("IDC_SEARCH", [this] { OnSearch(); });
    OnButtonUnlessBusy("IDC_RESTORE", [this] { OnRestore(); });
    // The dialog stays while a restore works through its studies.
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent& event) { event.Skip(!Busy()); }, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
        if (Busy() && event.CanVeto())
            event.Veto();
        else
            event.Skip();
    });
}

bool RestoreStudiesDialog::Busy() const {
    return WindowRunControl().Progress() != nullptr;
}

SearchForm RestoreStudiesDialog::Form() const {
    SearchForm form;
    form.m_strFirstName = FromWx(firstName_->GetValue());
    form.m_strLastName = FromWx(lastName_->GetValue());
    form.m_strMrn = FromWx(mrn_->GetValue());
    form.m_strDateFrom = FromWx(dateFrom_->GetValue());
    form.m_strDateTo = FromWx(dateTo_->GetValue());
    form.m_bNonArchivedOnly = false;
    form.mediaType = kRemoved;
    return form;
}

void RestoreStudiesDialog::ShowFound() {
    wxArrayString lines;
    for (const SearchResult& study : Found()) lines.push_back(ToWx(RestoreLine(study)));
    results_->Set(lines);
}

void RestoreStudiesDialog::OnSearch() {
    wxBusyCursor searching;
    const SearchOutcome outcome = search_.Search(core_.Config(), Form());
    if (SearchRan(outcome, search_, this)) ShowFound();
}

void RestoreStudiesDialog::OnRestore() {
    wxArrayInt lines;
    results_->GetSelections(lines);
    std::vector<std::string> examIds;
    for (const int line : lines)
        examIds.push_back(Found()[static_cast<std::size_t>(line)].m_strExamId);
    if (examIds.empty()) return;
    std::string refusal;
    std::optional<RestoreTally> tally;
    try {
        tally = RestoreExclusively(core_, examIds, {}, refusal);
    } catch (const CatalogFailure& failure) {
        refusal = failure.what();
    }
    if (!tally) {
        ProgramMessageBox(ToWx("The studies cannot be restored now: " + refusal), wxOK, this);
        return;
    }
    std::string said = "Restored " + std::to_string(tally->restored) + " of " +
                       std::to_string(examIds.size()) + " studies.";
    if (tally->failed > 0) said += "\nWhy the others were not is in the error log.";
    ProgramMessageBox(ToWx(said), wxOK, this);
    // The list is shown afresh without a word: the box above has just said what became of it.
    if (search_.Search(core_.Config(), Form()) == SearchOutcome::Searched) ShowFound();
}

}  // namespace mirabel
