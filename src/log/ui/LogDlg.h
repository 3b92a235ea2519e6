#pragma once
// The log viewer: shows one log file as it was when the viewer opened or was last reloaded, its
// newest entries in view. A window of its own beside the main window, never kept above it; the
// Close button, the close box and Escape close it.
#include <string>

#include <wx/dialog.h>

class wxTextCtrl;

namespace mirabel {

// The viewer's client area, in dialog units.
inline const wxSize kLogViewerSize(374, 230);

class CLogDlg : public wxDialog {
  public:
    // fileName: "mirabel.log" by default; the caption is "Log" until the caller changes it.
    explicit CLogDlg(const std::string& fileName = "mirabel.log");

    const std::string& Text() const { return m_strText; }

    // Reads the file again and shows its end: the newest entries are what people look for.
    void Reload();

  private:
    void ShowEnd();

    std::string m_strFileName;
    wxTextCtrl* m_ctlText = nullptr;
    std::string m_strText;
};

}  // namespace mirabel
