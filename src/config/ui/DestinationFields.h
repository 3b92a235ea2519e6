#pragma once
// The controls of one destination type, shared by "Add Archive" and the edit dialogs: the same
// control names (IDC_FTP_IP, IDC_REM_MEDIA_SIZE, ...) in every dialog that shows the type.
#include <string>

class wxWindow;

namespace mirabel {

struct ArchiveDestination;

enum class DestinationSection { Ftp, Nfs, Server, Removable };

// The type line of destinations edited in the section: "FTP", "NFS", "CORVA" or "REM".
const char* TypeOf(DestinationSection section);

// Shows the section's fields of destination in the controls of dialog; for removable media the
// "Save With DICOMDIR" box is ticked when the flag is "SAVE".
void ShowSectionFields(wxWindow& dialog, DestinationSection section,
                       const ArchiveDestination& destination);

// Reads the section's controls into destination; for removable media the DICOMDIR flag becomes
// "SAVE" when the box is ticked, else dicomDirOff. Type and id are left alone.
void ReadSectionFields(const wxWindow& dialog, DestinationSection section,
                       ArchiveDestination& destination, const char* dicomDirOff);

// A modal message box with an OK button.
void ShowDestinationMessage(wxWindow* parent, const std::string& text);

}  // namespace mirabel
