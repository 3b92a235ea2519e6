#include "config/ui/EditArchiveDialog.h"

#include <algorithm>

#include <wx/display.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "config/ArchiveDestination.h"
#include "config/DestinationValidation.h"

namespace mirabel {

namespace {

constexpr const char* kRootPathFields[] = {"IDC_FTP_ROOT_PATH", "IDC_NFS_ROOT_PATH",
                                           "IDC_CORVA_ROOT_PATH", "IDC_REM_ROOT_PATH"};

// A long root path is the one the operator most needs to read whole: its field grows to show
// it, up to most of the screen's width, and its tip holds it all.
void ShowWholeRootPath(wxWindow& dialog) {
    for (const char* name : kRootPathFields) {
        auto* field = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(XRCID(name)));
        if (!field || field->GetValue().empty()) continue;
        const int screen = wxDisplay(&dialog).GetClientArea().GetWidth();
        const int wanted = field->GetTextExtent(field->GetValue()).GetWidth() + 24;
        const int width = std::min(wanted, screen * 3 / 4);
        if (width > field->GetSize().GetWidth()) field->SetMinSize({width, -1});
        field->SetToolTip(field->GetValue());
    }
}

}  // namespace

EditArchiveDialog::EditArchiveDialog(ArchiveDestination* record, wxWindow* parent,
                                     const char* resource, DestinationKind kind, Checks checks,
                                     const char* dicomDirOff)
    : LayoutDialog(parent, resource),
      record_(record),
      kind_(kind),
      checks_(checks),
      dicomDirOff_(dicomDirOff) {
    ShowSectionFields(*this, kind_, record ? *record : ArchiveDestination());
    ShowWholeRootPath(*this);
    FitToContent();
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
    // Checked as the kind of the dialog, while the record keeps the type line it was read with.
    ArchiveDestination asKind = edited;
    asKind.SetKind(kind_);
    if (const std::string refusal = ArchiveValueLengthMessage(asKind); !refusal.empty())
        return ShowDestinationMessage(this, refusal);
    // Renamed to another destination's id, it could no longer be told apart from that one.
    if (const std::string refusal = DuplicateAddressMessage(asKind, record_); !refusal.empty())
        return ShowDestinationMessage(this, refusal);
    if (record_) {
        *record_ = edited;
        record_->BuildId();
    }
    EndModal(wxID_OK);
}

}  // namespace mirabel
