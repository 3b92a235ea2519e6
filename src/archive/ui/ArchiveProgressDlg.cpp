#include "archive/ui/ArchiveProgressDlg.h"

#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/stattext.h>

#include "archive/RunState.h"
#include "core/ui/OwnInputGroup.h"
#include "core/ui/WxText.h"

namespace mirabel {

CArchiveProgressDlg::CArchiveProgressDlg(wxWindow* parent, bool deleting,
                                         std::function<void()> cancel)
    : LayoutDialog(parent, "IDD_ARCHIVE_PROGRESS"),
      m_bDeleting(deleting),
      cancel_(std::move(cancel)) {
    TakeInputBesideModalDialogs(*this);
    studiesBar_ = Find<wxGauge>("IDC_STUDIES_BAR");
    filesBar_ = Find<wxGauge>("IDC_FILES_BAR");
    studiesText_ = Find<wxStaticText>("IDC_STUDIES_TEXT");
    filesText_ = Find<wxStaticText>("IDC_FILES_TEXT");
    waitText_ = Find<wxStaticText>("IDC_WAIT_TEXT");
    // The layout's first lines speak of transferring; a deletion pass must not, even before
    // its first study is counted.
    if (m_bDeleting) {
        studiesText_->SetLabel("Deleting studies");
        filesText_->SetLabel("Deleting files");
    }
    OnButton(wxID_CANCEL, [this] { OnCancel(); });
    // The close box is the same as Cancel; the window itself lives until the operation ends.
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { OnCancel(); });
}

void CArchiveProgressDlg::SetStudyProgress(int current, int total) {
    ShowProgress(studiesBar_, studiesText_, "studies", current, total);
}

void CArchiveProgressDlg::SetFileProgress(int current, int total) {
    ShowProgress(filesBar_, filesText_, "files", current, total);
}

void CArchiveProgressDlg::SetWaitText(const std::string& text) {
    if (text.empty() == !waitText_->IsShown() && ToWx(text) == waitText_->GetLabel()) return;
    waitText_->SetLabel(ToWx(text));
    waitText_->Show(!text.empty());
    // The window grows by the line while it is shown and shrinks back after.
    Fit();
}

void CArchiveProgressDlg::ShowProgress(wxGauge* bar, wxStaticText* text, const char* unit,
                                       int current, int total) {
    if (bar->GetRange() != total && total > 0) bar->SetRange(total);
    if (current >= 0 && current <= bar->GetRange()) bar->SetValue(current);
    text->SetLabel(wxString::Format("%s %d of %d %s", m_bDeleting ? "Deleting" : "Transferring",
                                    current, total, unit));
}

void CArchiveProgressDlg::OnCancel() {
    if (cancel_) cancel_();
    Hide();
}

}  // namespace mirabel
