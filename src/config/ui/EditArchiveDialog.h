#pragma once
// The common form of the four "Edit Archive" dialogs: the fields of one destination type,
// shown from the record when the dialog is made, and "Update", which copies them back into the
// record, rebuilds its id and closes with wxID_OK.
#include "config/ui/DestinationFields.h"
#include "core/ui/LayoutDialog.h"

namespace mirabel {

class EditArchiveDialog : public LayoutDialog {
  protected:
    enum class Checks { None, RequiredFields };

    // record may be null: the fields then start empty and "Update" only closes the dialog.
    // dicomDirOff is the DICOMDIR flag written when the box is not ticked (removable media).
    EditArchiveDialog(ArchiveDestination* record, wxWindow* parent, const char* resource,
                      DestinationKind kind, Checks checks, const char* dicomDirOff = "");

  private:
    void OnUpdate();

    ArchiveDestination* record_;
    DestinationKind kind_;
    Checks checks_;
    const char* dicomDirOff_;
};

}  // namespace mirabel
