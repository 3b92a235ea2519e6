#include "log/ui/LogDlg.h"

#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "core/ui/WxText.h"
#include "log/LogFileReader.h"

namespace mirabel {

CLogDlg::CLogDlg(wxWindow* parent, const std::string& fileName)
    : wxDialog(parent, wxID_ANY, "Log", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      m_strFileName(fileName) {
    // Sized in dialog units, which follow the dialog's font as the window's own layout does.
    SetClientSize(ConvertDialogToPixels(kLogViewerSize));
    m_ctlText = new wxTextCtrl(
        this, 135, wxString(), wxDefaultPosition, wxDefaultSize,
        wxTE_MULTILINE | wxTE_RICH2 | wxTE_READONLY | wxHSCROLL | wxTE_DONTWRAP | wxVSCROLL);
    // The sizer keeps the text filling the whole client area when the viewer is resized.
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_ctlText, 1, wxEXPAND);
    SetSizer(sizer);
    m_strText = ReadLogText(m_strFileName);
    m_ctlText->ChangeValue(ToWx(m_strText));
    // A closed viewer is gone for good: destroy it rather than keep it hidden.
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Destroy(); });
}

}  // namespace mirabel
