#include "log/ui/LogDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "core/ui/OwnInputGroup.h"
#include "core/ui/WxText.h"
#include "log/LogFileReader.h"

namespace mirabel {

namespace {
constexpr int kTextInset = 6;  // pixels between the window's edge and the text, on every side
}

// No parent: an owned window stays above its owner, and a viewer left open would cover the
// main window's buttons. The main window closes its viewers when it goes.
CLogDlg::CLogDlg(const std::string& fileName)
    : wxDialog(nullptr, wxID_ANY, "Log", wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxMINIMIZE_BOX | wxDIALOG_NO_PARENT),
      m_strFileName(fileName) {
    TakeInputBesideModalDialogs(*this);
    m_ctlText = new wxTextCtrl(
        this, 135, wxString(), wxDefaultPosition, wxDefaultSize,
        wxTE_MULTILINE | wxTE_RICH2 | wxTE_READONLY | wxHSCROLL | wxTE_DONTWRAP | wxVSCROLL);
    m_ctlText->SetMargins(kTextInset, kTextInset);
    auto* close = new wxButton(this, wxID_CLOSE, "Close");
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_ctlText, 1, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, kTextInset);
    sizer->Add(close, 0, wxALIGN_RIGHT | wxALL, kTextInset);
    SetSizer(sizer);
    // Sized in dialog units, which follow the dialog's font as the window's own layout does.
    SetClientSize(ConvertDialogToPixels(kLogViewerSize));
    SetMinSize(sizer->GetMinSize() + (GetSize() - GetClientSize()));
    SetEscapeId(wxID_CLOSE);
    close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Close(); });
    // A closed viewer is gone for good: destroy it rather than keep it hidden.
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Destroy(); });
    // GTK scrolls a text only once it is on screen.
    Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
        event.Skip();
        if (event.IsShown()) CallAfter([this] { ShowEnd(); });
    });
    Reload();
}

void CLogDlg::Reload() {
    m_strText = ReadLogText(m_strFileName);
    m_ctlText->ChangeValue(ToWx(m_strText));
    ShowEnd();
}

void CLogDlg::ShowEnd() {
    m_ctlText->SetInsertionPointEnd();
    m_ctlText->ShowPosition(m_ctlText->GetLastPosition());
}

}  // namespace mirabel
