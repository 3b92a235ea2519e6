#include "config/EditRemArchiveDlg.h"

CEditRemArchiveDlg::CEditRemArchiveDlg(ArchiveDestination* record, wxWindow* parent)
    : CEditArchiveDlg(record, parent, "IDD_EDIT_REM_ARCHIVE", DestinationSection::Removable,
                      Checks::None, "NONE") {}
