#include "selection/ui/SelectDateDlg.h"

#include <wx/datectrl.h>

#include "core/ui/WxText.h"

namespace mirabel {

CSelectDateDlg::CSelectDateDlg(wxWindow* parent) : LayoutDialog(parent, "IDD_SELECT_DATE") {
    picker_ = Find<wxDatePickerCtrl>("IDC_DATE_PICKER");
    picker_->SetValue(m_time);
    OnButton(wxID_OK, [this] { OnOK(); });
}

void CSelectDateDlg::OnOK() {
    m_time = picker_->GetValue();
    m_strDate = FromWx(m_time.Format("%m/%d/%Y"));
    EndModal(wxID_OK);
}

}  // namespace mirabel
