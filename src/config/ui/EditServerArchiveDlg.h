#pragma once
// "Edit Archive" for a Corvana image server (every field required, as when adding; no duplicate
// test).
#include "config/ui/EditArchiveDialog.h"

namespace mirabel {

class CEditServerArchiveDlg : public EditArchiveDialog {
  public:
    CEditServerArchiveDlg(ArchiveDestination* record, wxWindow* parent);
};

}  // namespace mirabel
