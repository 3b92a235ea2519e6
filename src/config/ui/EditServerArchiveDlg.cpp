#include "config/ui/EditServerArchiveDlg.h"

namespace mirabel {

CEditServerArchiveDlg::CEditServerArchiveDlg(ArchiveDestination* record, wxWindow* parent)
    : EditArchiveDialog(record, parent, "IDD_EDIT_SERVER_ARCHIVE", DestinationKind::Server,
                        Checks::RequiredFields) {}

}  // namespace mirabel
