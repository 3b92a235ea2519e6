#pragma once
// The modeless log viewer: shows one log file as it was when the viewer opened.
#include <string>

#include <wx/dialog.h>

class wxTextCtrl;

namespace mirabel {

// The viewer's client area, in dialog units.
inline const wxSize kLogViewerSize(374, 230);

class CLogDlg : public wxDialog {
  public:
    // fileName: "mirabel.log" by default; the caption is "Log" until the caller changes it.
    explicit CLogDlg(wxWindow* parent, const std::string& fileName = "mirabel.log");

    const std::string& Text() const { return m_strText; }

  private:
    std::string m_strFileName;
    wxTextCtrl* m_ctlText = nullptr;
    std::string m_strText;
};

}  // namespace mirabel
