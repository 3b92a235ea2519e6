#pragma once
// "Edit Archive" for a hard-drive or network destination (no checks).
#include "config/ui/EditArchiveDialog.h"

namespace mirabel {

class CEditNfsArchiveDlg : public EditArchiveDialog {
  public:
    CEditNfsArchiveDlg(ArchiveDestination* record, wxWindow* parent);
};

}  // namespace mirabel
