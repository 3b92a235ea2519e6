#pragma once
// "Edit Archive" for a FTP destination (no checks).
#include "config/ui/EditArchiveDlg.h"

namespace mirabel {

class CEditFtpArchiveDlg : public CEditArchiveDlg {
  public:
    CEditFtpArchiveDlg(ArchiveDestination* record, wxWindow* parent);
};

}  // namespace mirabel
