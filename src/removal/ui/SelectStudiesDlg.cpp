#include "removal/ui/SelectStudiesDlg.h"

#include <iterator>

#include <wx/listctrl.h>
#include <wx/wupdlock.h>

#include "config/SettingsStore.h"
#include "core/Text.h"
#include "core/ui/ColumnList.h"
#include "core/ui/ProgramMessageBox.h"
#include "core/ui/WxText.h"
#include "log/Logs.h"
#include "removal/CandidateLines.h"
#include "removal/DeleteNowQuestion.h"
#include "removal/DeletionSettings.h"
#include "removal/StudyDeletion.h"

namespace mirabel {

CSelectStudiesDlg::CSelectStudiesDlg(RemovalHost& host, wxWindow* parent, RemovalMode mode)
    : LayoutDialog(parent, "IDD_SELECT_STUDIES"),
      host_(host),
      m_bAutoMode(mode == RemovalMode::Auto),
      m_strSkip(ReadDeleteSetting(host, kSkip)),
      m_bVerifyFolderCopies(SettingIsTrue(ReadDeleteSetting(host, kVerifyFolderCopies))),
      deleteStep_(*this, kTimer6, [this] { OnDeleteNow(); }) {
    m_lbStudies = Find<wxListCtrl>("IDC_STUDY_LIST");
    FillList();
    OnButton("IDC_SELECT_ALL", [this] { HighlightAll(true); });
    OnButton("IDC_DESELECT_ALL", [this] { HighlightAll(false); });
    OnButton("IDC_DELETE_NOW", [this] { OnDeleteNow(); });
    OnButton(wxID_OK, [this] { OnClose(); });
    m_lbStudies->Bind(wxEVT_LIST_COL_CLICK,
                      [this](wxListEvent& event) { SortBy(event.GetColumn()); });
    // Esc and the close box leave the selection as it was. There is no Cancel button for the
    // dialog's own Escape handling to press, so the key is taken here.
    Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& event) {
        if (event.GetKeyCode() == WXK_ESCAPE)
            EndModal(wxID_CANCEL);
        else
            event.Skip();
    });
    if (m_bAutoMode) deleteStep_.Start();
}

void CSelectStudiesDlg::FillList() {
    AddColumns(*m_lbStudies, {std::begin(kCandidateColumnTitles), std::end(kCandidateColumnTitles)},
               {static_cast<int>(CandidateColumn::Size)});
    // The names and dates of the list are read once, when it opens.
    lines_ = CandidateListLines(host_.Candidates(),
                                DetailsOfCandidates(host_.Config(), host_.Candidates(), false),
                                host_.Config().m_strImagePath);
    std::vector<ColumnRow> rows;
    rows.reserve(lines_.size());
    for (const CandidateListLine& line : lines_) rows.push_back(line.columns);
    ShowRows(*m_lbStudies, rows);
    for (long row = 0; row < m_lbStudies->GetItemCount(); ++row)
        if (lines_[row].selected)
            m_lbStudies->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    if (WidenToColumns(*m_lbStudies, RoomFor(*m_lbStudies))) GrowToContent();
}

void CSelectStudiesDlg::SortBy(int column) {
    if (column < 0 || column >= static_cast<int>(CandidateColumn::Count)) return;
    sortAscending_ = column == sortColumn_ ? !sortAscending_ : true;
    sortColumn_ = column;
    auto compare = [this](wxIntPtr left, wxIntPtr right) {
        const auto key = [this](wxIntPtr index) {
            return CandidateSortKey(static_cast<CandidateColumn>(sortColumn_),
                                    lines_[static_cast<std::size_t>(index)].columns[sortColumn_]);
        };
        const int order = key(left).compare(key(right));
        return sortAscending_ ? order : -order;
    };
    // The list's own sorting does not carry the highlighting along: it follows the studies here.
    std::vector<bool> highlighted(lines_.size(), false);
    for (std::size_t line : HighlightedLines()) highlighted[line] = true;
    m_lbStudies->SortItems(
        [](wxIntPtr left, wxIntPtr right, wxIntPtr data) {
            return (*reinterpret_cast<decltype(compare)*>(data))(left, right);
        },
        reinterpret_cast<wxIntPtr>(&compare));
    for (long row = 0; row < m_lbStudies->GetItemCount(); ++row)
        m_lbStudies->SetItemState(
            row, highlighted[m_lbStudies->GetItemData(row)] ? wxLIST_STATE_SELECTED : 0,
            wxLIST_STATE_SELECTED);
}

void CSelectStudiesDlg::HighlightAll(bool on) {
    wxWindowUpdateLocker frozen(m_lbStudies);
    const long count = m_lbStudies->GetItemCount();
    for (long row = 0; row < count; ++row)
        m_lbStudies->SetItemState(row, on ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
}

std::vector<std::size_t> CSelectStudiesDlg::HighlightedLines() const {
    return HighlightedEntries(*m_lbStudies);
}

std::vector<CandidateKey> CSelectStudiesDlg::HighlightedKeys() const {
    std::vector<CandidateKey> keys;
    for (std::size_t line : HighlightedLines()) keys.push_back(lines_.at(line).key);
    return keys;
}

void CSelectStudiesDlg::OnClose() {
    SyncSelection(host_.Candidates(), HighlightedKeys());
    EndModal(wxID_OK);
}

void CSelectStudiesDlg::OnDeleteNow() {
    deleteStep_.Stop();
    const std::vector<CandidateKey> highlighted = HighlightedKeys();
    // The operator confirms what the highlighting deletes; No leaves everything as it was. The
    // unattended pass, whose timer presses the button, has nobody to ask.
    if (!m_bAutoMode && !ConfirmDeleteNow(host_.Config(), host_.Candidates(), highlighted)) return;
    SyncSelection(host_.Candidates(), highlighted);
    DeletionOptions options;
    options.skip = m_strSkip;
    options.verifyFolderCopies = m_bVerifyFolderCopies;
    std::string refusal;
    DeletionPassResult pass;
    const bool ran = host_.RunExclusively(
        [&] {
            pass = RunDeletionPass(host_.Control(), host_.Candidates(), host_.Config(), options);
        },
        refusal);
    // One summary, which names a database failure as the reason the pass stopped; nobody waits
    // for it at the unattended pass.
    if (ran)
        ReportRunSummary(pass.summary, m_bAutoMode ? Attendance::Unattended : Attendance::Operator);
    if (!ran) {
        ErrorLog("Delete not started: " + refusal);
        // Nobody waits at the unattended pass; the operator can try again later.
        if (!m_bAutoMode) {
            ProgramMessageBox(ToWx(AsSentence(refusal)), wxOK, this);
            return;
        }
    }
    EndModal(wxID_OK);
}

}  // namespace mirabel
