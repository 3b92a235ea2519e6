#pragma once
// The controls of one destination kind, shared by "Add Archive" and the edit dialogs: the same
// control names (IDC_FTP_IP, IDC_REM_MEDIA_SIZE, ...) in every dialog that shows the kind, as
// the kind's row of the destination table names them.
#include <string>

#include "config/ArchiveDestination.h"

class wxWindow;

namespace mirabel {

// Shows the kind's fields of destination in the controls of dialog; for removable media the
// "Save With DICOMDIR" box is ticked when the flag is "SAVE".
void ShowSectionFields(wxWindow& dialog, DestinationKind kind,
                       const ArchiveDestination& destination);

// Reads the kind's controls into destination; for removable media the DICOMDIR flag becomes
// "SAVE" when the box is ticked, else dicomDirOff. Type and id are left alone.
void ReadSectionFields(const wxWindow& dialog, DestinationKind kind,
                       ArchiveDestination& destination, const char* dicomDirOff);

// A modal message box with an OK button.
void ShowDestinationMessage(wxWindow* parent, const std::string& text);

}  // namespace mirabel
