#pragma once
// Every message box of the program carries the program's name as its caption, whichever window
// opens it.
#include <wx/app.h>
#include <wx/msgdlg.h>

namespace mirabel {

// The program's name as message boxes show it.
inline wxString ProgramName() {
    return wxTheApp ? wxTheApp->GetAppDisplayName() : wxString("Mirabel");
}

// A modal message box over parent (style as for wxMessageBox); returns the button pressed.
inline int ProgramMessageBox(const wxString& text, long style, wxWindow* parent) {
    return wxMessageBox(text, ProgramName(), style, parent);
}

}  // namespace mirabel
