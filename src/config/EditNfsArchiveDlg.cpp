#include "config/EditNfsArchiveDlg.h"

CEditNfsArchiveDlg::CEditNfsArchiveDlg(ArchiveDestination* record, wxWindow* parent)
    : CEditArchiveDlg(record, parent, "IDD_EDIT_NFS_ARCHIVE", DestinationSection::Nfs,
                      Checks::None) {}
