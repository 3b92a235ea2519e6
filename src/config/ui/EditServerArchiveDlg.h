#pragma once
// "Edit Archive" for a Corvana image server (every field required, as when adding; no duplicate
// test).
#include "config/ui/EditArchiveDlg.h"

namespace mirabel {

class CEditServerArchiveDlg : public CEditArchiveDlg {
  public:
    CEditServerArchiveDlg(ArchiveDestination* record, wxWindow* parent);
};

}  // namespace mirabel
