#include "app/ui/SetTimeDlg.h"

#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "core/ui/ProgramMessageBox.h"
#include "core/ui/WxText.h"
#include "archive/TimeEntry.h"

namespace mirabel {

CSetTimeDlg::CSetTimeDlg(wxWindow* parent, const std::string& label, const std::string& time)
    : m_strTime(time) {
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_SET_TIME");
    XRCCTRL(*this, "IDC_TIME_LABEL", wxStaticText)->SetLabel(ToWx(label));
    timeEdit_ = XRCCTRL(*this, "IDC_TIME", wxTextCtrl);
    timeEdit_->ChangeValue(ToWx(m_strTime));
    Bind(wxEVT_BUTTON, &CSetTimeDlg::OnOK, this, wxID_OK);
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

void CSetTimeDlg::OnOK(wxCommandEvent&) {
    if (Accept()) EndModal(wxID_OK);
}

}  // namespace mirabel
