#include "config/EditServerArchiveDlg.h"

CEditServerArchiveDlg::CEditServerArchiveDlg(ArchiveDestination* record, wxWindow* parent)
    : CEditArchiveDlg(record, parent, "IDD_EDIT_SERVER_ARCHIVE", DestinationSection::Server,
                      Checks::RequiredFields) {}
