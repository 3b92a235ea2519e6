#pragma once
// "Edit Archive" for a FTP destination (no checks).
#include "config/EditArchiveDlg.h"

class CEditFtpArchiveDlg : public CEditArchiveDlg {
  public:
    CEditFtpArchiveDlg(ArchiveDestination* record, wxWindow* parent);
};
