#include "app/ui/AboutDlg.h"

namespace mirabel {

CAboutDlg::CAboutDlg(wxWindow* parent) : LayoutDialog(parent, "IDD_ABOUTBOX") {}

}  // namespace mirabel
