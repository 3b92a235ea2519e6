#pragma once
// "Edit Archive" for a FTP destination (no checks).
#include "config/ui/EditArchiveDialog.h"

namespace mirabel {

class CEditFtpArchiveDlg : public EditArchiveDialog {
  public:
    CEditFtpArchiveDlg(ArchiveDestination* record, wxWindow* parent);
};

}  // namespace mirabel
