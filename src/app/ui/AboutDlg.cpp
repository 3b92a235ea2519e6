#include "app/ui/AboutDlg.h"

#include <wx/xrc/xmlres.h>

namespace mirabel {

CAboutDlg::CAboutDlg(wxWindow* parent) {
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_ABOUTBOX");
}

}  // namespace mirabel
