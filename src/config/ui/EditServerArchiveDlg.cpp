#include "config/ui/EditServerArchiveDlg.h"

namespace mirabel {

CEditServerArchiveDlg::CEditServerArchiveDlg(ArchiveDestination* record, wxWindow* parent)
    : CEditArchiveDlg(record, parent, "IDD_EDIT_SERVER_ARCHIVE", DestinationSection::Server,
                      Checks::RequiredFields) {}

}  // namespace mirabel
