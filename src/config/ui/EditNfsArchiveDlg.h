#pragma once
// "Edit Archive" for a hard-drive or network destination (no checks).
#include "config/ui/EditArchiveDlg.h"

namespace mirabel {

class CEditNfsArchiveDlg : public CEditArchiveDlg {
  public:
    CEditNfsArchiveDlg(ArchiveDestination* record, wxWindow* parent);
};

}  // namespace mirabel
