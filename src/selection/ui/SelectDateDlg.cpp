#include "selection/ui/SelectDateDlg.h"

#include <wx/datectrl.h>
#include <wx/xrc/xmlres.h>

#include "core/ui/WxText.h"

namespace mirabel {

CSelectDateDlg::CSelectDateDlg(wxWindow* parent) {
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_SELECT_DATE");
    picker_ = XRCCTRL(*this, "IDC_DATE_PICKER", wxDatePickerCtrl);
    picker_->SetValue(m_time);
    Bind(wxEVT_BUTTON, &CSelectDateDlg::OnOK, this, wxID_OK);
}

void CSelectDateDlg::OnOK(wxCommandEvent&) {
    m_time = picker_->GetValue();
    m_strDate = FromWx(m_time.Format("%m/%d/%Y"));
    EndModal(wxID_OK);
}

}  // namespace mirabel
