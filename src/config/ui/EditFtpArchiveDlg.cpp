#include "config/ui/EditFtpArchiveDlg.h"

namespace mirabel {

CEditFtpArchiveDlg::CEditFtpArchiveDlg(ArchiveDestination* record, wxWindow* parent)
    : EditArchiveDialog(record, parent, "IDD_EDIT_FTP_ARCHIVE", DestinationKind::Ftp,
                        Checks::None) {}

}  // namespace mirabel
