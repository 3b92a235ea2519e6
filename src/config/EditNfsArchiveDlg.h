#pragma once
// "Edit Archive" for a hard-drive or network destination (no checks).
#include "config/EditArchiveDlg.h"

class CEditNfsArchiveDlg : public CEditArchiveDlg {
  public:
    CEditNfsArchiveDlg(ArchiveDestination* record, wxWindow* parent);
};
