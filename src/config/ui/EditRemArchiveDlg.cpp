#include "config/ui/EditRemArchiveDlg.h"

namespace mirabel {

CEditRemArchiveDlg::CEditRemArchiveDlg(ArchiveDestination* record, wxWindow* parent)
    : EditArchiveDialog(record, parent, "IDD_EDIT_REM_ARCHIVE", DestinationKind::Removable,
                        Checks::None, "NONE") {}

}  // namespace mirabel
