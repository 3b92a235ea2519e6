#include "config/EditFtpArchiveDlg.h"

CEditFtpArchiveDlg::CEditFtpArchiveDlg(ArchiveDestination* record, wxWindow* parent)
    : CEditArchiveDlg(record, parent, "IDD_EDIT_FTP_ARCHIVE", DestinationSection::Ftp,
                      Checks::None) {}
