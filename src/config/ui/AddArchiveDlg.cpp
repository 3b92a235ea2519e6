#include "config/ui/AddArchiveDlg.h"

#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "config/ArchiveDestination.h"
#include "config/DestinationValidation.h"

namespace mirabel {

namespace {

constexpr const char* kInitialMediaSize = "590";

}  // namespace

CAddArchiveDlg::CAddArchiveDlg(wxWindow* parent) : LayoutDialog(parent, "IDD_ADD_ARCHIVE") {
    // The removable-media fields are shared with their edit dialog; only here do they start
    // filled in.
    Find<wxTextCtrl>("IDC_REM_MEDIA_SIZE")->ChangeValue(kInitialMediaSize);
    Find<wxCheckBox>("IDC_REM_DICOMDIR")->SetValue(true);
    OnButton("IDC_ADD", [this] { OnAdd(); });
}

std::optional<DestinationKind> CAddArchiveDlg::SelectedKind() const {
    for (const DestinationKindRules& rules : KnownDestinationKinds())
        if (Find<wxRadioButton>(rules.selector)->GetValue()) return rules.kind;
    return std::nullopt;
}

void CAddArchiveDlg::OnAdd() {
    const std::optional<DestinationKind> kind = SelectedKind();
    if (!kind) return;
    ArchiveDestination candidate(*kind);
    ReadSectionFields(*this, *kind, candidate, "");
    const std::string refusal = AddNewArchive(candidate);
    if (!refusal.empty()) return ShowDestinationMessage(this, refusal);
    EndModal(wxID_OK);
}

}  // namespace mirabel
