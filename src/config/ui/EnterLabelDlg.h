#pragma once
// "Enter Label": asks for the label of a removable medium, proposing one.
#include <string>

#include "core/ui/LayoutDialog.h"

namespace mirabel {

class CEnterLabelDlg : public LayoutDialog {
  public:
    CEnterLabelDlg(const std::string& proposed, wxWindow* parent);

    std::string m_strLabel;  // the proposed label; the typed one once the dialog ends with OK

  private:
    void OnOK();
};

}  // namespace mirabel
