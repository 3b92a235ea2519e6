#pragma once
// The About box: the program's name and version and an OK button.
#include "core/ui/LayoutDialog.h"

namespace mirabel {

class CAboutDlg : public LayoutDialog {
  public:
    explicit CAboutDlg(wxWindow* parent);
};

}  // namespace mirabel
