#pragma once
// The About box: the program's name and version and an OK button.
#include <wx/dialog.h>

namespace mirabel {

class CAboutDlg : public wxDialog {
  public:
    explicit CAboutDlg(wxWindow* parent);
};

}  // namespace mirabel
