#pragma once
// "Enter Label": asks for the label of a removable medium, proposing one.
#include <string>

#include <wx/dialog.h>

namespace mirabel {

class CEnterLabelDlg : public wxDialog {
  public:
    CEnterLabelDlg(const std::string& proposed, wxWindow* parent);

    std::string m_strLabel;  // the proposed label; the typed one once the dialog ends with OK

  private:
    void OnOK(wxCommandEvent& event);
};

}  // namespace mirabel
