#include "config/ui/EnterLabelDlg.h"

#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "core/ui/WxText.h"

namespace mirabel {

CEnterLabelDlg::CEnterLabelDlg(const std::string& proposed, wxWindow* parent)
    : m_strLabel(proposed) {
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_ENTER_LABEL");
    XRCCTRL(*this, "IDC_LABEL", wxTextCtrl)->ChangeValue(ToWx(proposed));
    Bind(wxEVT_BUTTON, &CEnterLabelDlg::OnOK, this, wxID_OK);
}

void CEnterLabelDlg::OnOK(wxCommandEvent&) {
    m_strLabel = FromWx(XRCCTRL(*this, "IDC_LABEL", wxTextCtrl)->GetValue());
    EndModal(wxID_OK);
}

}  // namespace mirabel
