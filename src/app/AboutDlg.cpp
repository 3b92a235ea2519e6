#include "app/AboutDlg.h"

#include <wx/xrc/xmlres.h>

CAboutDlg::CAboutDlg(wxWindow* parent) {
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_ABOUTBOX");
}
