#include "config/ui/EditArchiveDialog.h"

#include "config/ArchiveDestination.h"
#include "config/DestinationValidation.h"

namespace mirabel {

EditArchiveDialog::EditArchiveDialog(ArchiveDestination* record, wxWindow* parent,
                                     const char* resource, DestinationKind kind, Checks checks,
                                     const char* dicomDirOff)
    : LayoutDialog(parent, resource),
      record_(record),
      kind_(kind),
      checks_(checks),
      dicomDirOff_(dicomDirOff) {
    ShowSectionFields(*this, kind_, record ? *record : ArchiveDestination());
    OnButton("IDC_UPDATE", [this] { OnUpdate(); });
}

void EditArchiveDialog::OnUpdate() {
    ArchiveDestination edited = record_ ? *record_ : ArchiveDestination();
    ReadSectionFields(*this, kind_, edited, dicomDirOff_);
    if (checks_ == Checks::RequiredFields) {
        edited.SetKind(kind_);
        const std::string refusal = MissingFieldMessage(edited);
        if (!refusal.empty()) return ShowDestinationMessage(this, refusal);
    }
    if (record_) {
        *record_ = edited;
        record_->BuildId();
    }
    EndModal(wxID_OK);
}

}  // namespace mirabel
