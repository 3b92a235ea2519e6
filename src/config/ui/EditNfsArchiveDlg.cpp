#include "config/ui/EditNfsArchiveDlg.h"

namespace mirabel {

CEditNfsArchiveDlg::CEditNfsArchiveDlg(ArchiveDestination* record, wxWindow* parent)
    : EditArchiveDialog(record, parent, "IDD_EDIT_NFS_ARCHIVE", DestinationKind::Nfs,
                        Checks::None) {}

}  // namespace mirabel
