#include "app/ui/SetTimeDlg.h"

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "core/ui/ProgramMessageBox.h"
#include "core/ui/WxText.h"
#include "archive/TimeEntry.h"

namespace mirabel {

CSetTimeDlg::CSetTimeDlg(wxWindow* parent, const std::string& label, const std::string& time)
    : LayoutDialog(parent, "IDD_SET_TIME"), m_strTime(time) {
    Find<wxStaticText>("IDC_TIME_LABEL")->SetLabel(ToWx(label));
    timeEdit_ = Find<wxTextCtrl>("IDC_TIME");
    timeEdit_->ChangeValue(ToWx(m_strTime));
    OnButton(wxID_OK, [this] { OnOK(); });
}

bool CSetTimeDlg::Accept() {
    const TimeEntryCheck check = CheckTimeEntry(FromWx(timeEdit_->GetValue()));
    if (!check.message.empty()) {
        ProgramMessageBox(ToWx(check.message), wxOK, this);
        return false;
    }
    m_strTime = check.time;
    timeEdit_->ChangeValue(ToWx(m_strTime));  // a bare hour shows its completed form
    return true;
}

void CSetTimeDlg::OnOK() {
    if (Accept()) EndModal(wxID_OK);
}

}  // namespace mirabel
