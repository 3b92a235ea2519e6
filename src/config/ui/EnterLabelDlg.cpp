#include "config/ui/EnterLabelDlg.h"

#include <wx/textctrl.h>

#include "core/ui/WxText.h"

namespace mirabel {

CEnterLabelDlg::CEnterLabelDlg(const std::string& proposed, wxWindow* parent)
    : LayoutDialog(parent, "IDD_ENTER_LABEL"), m_strLabel(proposed) {
    Find<wxTextCtrl>("IDC_LABEL")->ChangeValue(ToWx(proposed));
    OnButton(wxID_OK, [this] { OnOK(); });
}

void CEnterLabelDlg::OnOK() {
    m_strLabel = FromWx(Find<wxTextCtrl>("IDC_LABEL")->GetValue());
    EndModal(wxID_OK);
}

}  // namespace mirabel
