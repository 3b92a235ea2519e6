#include "selection/ui/SelectArchiveStudiesDlg.h"

#include <iterator>

#include <wx/checkbox.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "archive/RunState.h"
#include "core/Text.h"
#include "core/ui/ColumnList.h"
#include "core/ui/ProgramMessageBox.h"
#include "core/ui/WxText.h"
#include "selection/ResultLine.h"
#include "selection/SelectionSettings.h"
#include "selection/StudyListHandover.h"
#include "selection/ui/SearchOutcomeMessage.h"
#include "selection/ui/SelectDateDlg.h"

namespace mirabel {

namespace {

std::vector<ColumnRow> Rows(const std::vector<SearchResult>& entries, bool withSize) {
    std::vector<ColumnRow> rows;
    rows.reserve(entries.size());
    for (const SearchResult& entry : entries) rows.push_back(ResultColumns(entry, withSize));
    return rows;
}

}  // namespace

CSelectArchiveStudiesDlg::CSelectArchiveStudiesDlg(SelectionHost& host, wxWindow* parent)
    : LayoutDialog(parent, "IDD_SELECT_ARCHIVE_STUDIES"), host_(host) {
    m_bMarkArchived = LoadMarkArchived(host_);
    m_bNonArchivedOnly = LoadNonArchivedOnly(host_);
    FindControls();
    AddListColumns();
    markArchived_->SetValue(m_bMarkArchived);
    nonArchivedOnly_->SetValue(m_bNonArchivedOnly);
    BindHandlers();
}

void CSelectArchiveStudiesDlg::FindControls() {
    m_lbWriteList = Find<wxListCtrl>("IDC_WRITE_LIST");
    m_lbResults = Find<wxListCtrl>("IDC_RESULTS");
    firstName_ = Find<wxTextCtrl>("IDC_FIRST_NAME");
    lastName_ = Find<wxTextCtrl>("IDC_LAST_NAME");
    markArchived_ = Find<wxCheckBox>("IDC_MARK_ARCHIVED");
    mrn_ = Find<wxTextCtrl>("IDC_MRN");
    nonArchivedOnly_ = Find<wxCheckBox>("IDC_NON_ARCHIVED_ONLY");
    dateFrom_ = Find<wxTextCtrl>("IDC_DATE_FROM");
    currentSize_ = Find<wxStaticText>("IDC_CURRENT_SIZE");
    studyCount_ = Find<wxStaticText>("IDC_STUDY_COUNT");
    unwritable_ = Find<wxStaticText>("IDC_UNWRITABLE");
    dateTo_ = Find<wxTextCtrl>("IDC_DATE_TO");
}

void CSelectArchiveStudiesDlg::AddListColumns() {
    std::vector<std::string> titles(std::begin(kResultColumnTitles), std::end(kResultColumnTitles));
    AddColumns(*m_lbResults, titles);
    FitColumns(*m_lbResults);
    titles.push_back(kSizeColumnTitle);
    AddColumns(*m_lbWriteList, titles, {static_cast<int>(titles.size()) - 1});
    FitColumns(*m_lbWriteList);
    WidenForColumns();
}

bool CSelectArchiveStudiesDlg::Busy() const {
    return host_.Control().Progress() != nullptr;
}

void CSelectArchiveStudiesDlg::BindHandlers() {
    OnButtonUnlessBusy("IDC_SEARCH", [this] { OnSearch(); });
    OnButtonUnlessBusy("IDC_ADD", [this] { OnAdd(); });
    OnButtonUnlessBusy("IDC_ADD_ALL", [this] { OnAddAll(); });
    OnButtonUnlessBusy("IDC_REMOVE", [this] { OnRemove(); });
    OnButtonUnlessBusy("IDC_WRITE_TO_ARCHIVE", [this] { OnWriteToArchive(); });
    OnButtonUnlessBusy("IDC_DATE_FROM_PICK", [this] { OnDateFrom(); });
    OnButtonUnlessBusy("IDC_DATE_TO_PICK", [this] { OnDateTo(); });
    markArchived_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnMarkArchived(); });
    nonArchivedOnly_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnNonArchivedOnly(); });
    // The dialog closes only between operations: a run or the measuring works on its lists.
    Bind(
        wxEVT_BUTTON,
        [this](wxCommandEvent& event) {
            if (!Busy()) event.Skip();
        },
        wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
        if (Busy() && event.CanVeto())
            event.Veto();
        else
            event.Skip();
    });
}

// ---- data exchange ----------------------------------------------------------------------------

void CSelectArchiveStudiesDlg::ReadControls() {
    m_strFirstName = FromWx(firstName_->GetValue());
    m_strLastName = FromWx(lastName_->GetValue());
    m_bMarkArchived = markArchived_->GetValue();
    m_strMrn = FromWx(mrn_->GetValue());
    m_bNonArchivedOnly = nonArchivedOnly_->GetValue();
    m_strDateFrom = FromWx(dateFrom_->GetValue());
    m_strDateTo = FromWx(dateTo_->GetValue());
}

SearchForm CSelectArchiveStudiesDlg::Form() const {
    return {m_strFirstName, m_strLastName, m_strMrn,
            m_strDateFrom,  m_strDateTo,   m_bNonArchivedOnly};
}

void CSelectArchiveStudiesDlg::ShowResults() {
    ShowRows(*m_lbResults, Rows(selection_.Results(), false));
    WidenForColumns();
}

void CSelectArchiveStudiesDlg::ShowWriteList() {
    ShowRows(*m_lbWriteList, Rows(selection_.WriteList(), true));
    WidenForColumns();
}

// Long names widen the lists, and the dialog with them, rather than hide the later columns.
void CSelectArchiveStudiesDlg::WidenForColumns() {
    bool grew = false;
    for (wxListCtrl* list : {m_lbResults, m_lbWriteList})
        grew = WidenToColumns(*list, RoomFor(*list)) || grew;
    if (grew) GrowToContent();
}

void CSelectArchiveStudiesDlg::UpdateCurrentSize() {
    m_strCurrentSize = selection_.CurrentSizeText();
    currentSize_->SetLabel(ToWx(m_strCurrentSize));
    // The size alone does not say how many studies it is made of, nor that some cannot be
    // written at all.
    const std::size_t studies = selection_.WriteList().size();
    studyCount_->SetLabel(wxString::Format("%zu %s", studies, studies == 1 ? "study" : "studies"));
    const std::size_t unwritable = CountWithoutImagePath(selection_.WriteList());
    unwritable_->SetLabel(
        unwritable == 0
            ? wxString()
            : wxString::Format("%zu of them without an image folder: not written", unwritable));
    Layout();
}

// ---- handlers ---------------------------------------------------------------------------------

void CSelectArchiveStudiesDlg::OnSearch() {
    ReadControls();
    wxBusyCursor searching;
    const SearchOutcome outcome = selection_.Search(host_.Config(), Form());
    if (SearchRan(outcome, selection_, this)) ShowResults();
}

void CSelectArchiveStudiesDlg::OnAdd() {
    ReadControls();
    const std::vector<std::size_t> lines = HighlightedEntries(*m_lbResults);
    if (lines.empty()) return;
    selection_.Add(host_.Control(), lines, host_.Config().m_strImagePath);
    ShowWriteList();
    UpdateCurrentSize();
}

void CSelectArchiveStudiesDlg::OnAddAll() {
    selection_.AddAll(host_.Control(), host_.Config().m_strImagePath);
    ShowWriteList();
    UpdateCurrentSize();
}

void CSelectArchiveStudiesDlg::OnRemove() {
    const std::vector<std::size_t> lines = HighlightedEntries(*m_lbWriteList);
    if (lines.empty()) return;
    selection_.Remove(lines);
    ShowWriteList();
    UpdateCurrentSize();
}

void CSelectArchiveStudiesDlg::OnWriteToArchive() {
    m_bMarkArchived = markArchived_->GetValue();
    std::string refusal;
    if (!selection_.WriteToArchive(host_, m_bMarkArchived, refusal)) {
        ProgramMessageBox(ToWx(AsSentence(refusal)), wxOK, this);
        return;
    }
    ShowWriteList();
    UpdateCurrentSize();
}

void CSelectArchiveStudiesDlg::OnDateFrom() {
    PickDate("Date From", dateFrom_, m_strDateFrom);
}

void CSelectArchiveStudiesDlg::OnDateTo() {
    PickDate("Date To", dateTo_, m_strDateTo);
}

void CSelectArchiveStudiesDlg::PickDate(const char* field, wxTextCtrl* edit, std::string& member) {
    CSelectDateDlg pick(this, field);
    if (pick.ShowModal() != wxID_OK) return;
    member = pick.m_strDate;
    edit->ChangeValue(ToWx(member));
}

void CSelectArchiveStudiesDlg::OnMarkArchived() {
    ReadControls();
    StoreMarkArchived(host_, m_bMarkArchived);
}

void CSelectArchiveStudiesDlg::OnNonArchivedOnly() {
    ReadControls();
    StoreNonArchivedOnly(host_, m_bNonArchivedOnly);
}

}  // namespace mirabel
