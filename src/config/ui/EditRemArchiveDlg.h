#pragma once
// "Edit Archive" for a removable-media destination (no checks; an unticked DICOMDIR box stores
// "NONE").
#include "config/ui/EditArchiveDialog.h"

namespace mirabel {

class CEditRemArchiveDlg : public EditArchiveDialog {
  public:
    CEditRemArchiveDlg(ArchiveDestination* record, wxWindow* parent);
};

}  // namespace mirabel
