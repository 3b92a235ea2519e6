#include "config/ui/AddArchiveDlg.h"

#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "config/ArchiveDestination.h"
#include "config/DestinationValidation.h"

namespace mirabel {

namespace {

constexpr const char* kInitialMediaSize = "590";

}  // namespace

CAddArchiveDlg::CAddArchiveDlg(wxWindow* parent) {
    wxXmlResource::Get()->LoadDialog(this, parent, "IDD_ADD_ARCHIVE");
    // The removable-media fields are shared with their edit dialog; only here do they start
    // filled in.
    XRCCTRL(*this, "IDC_REM_MEDIA_SIZE", wxTextCtrl)->ChangeValue(kInitialMediaSize);
    XRCCTRL(*this, "IDC_REM_DICOMDIR", wxCheckBox)->SetValue(true);
    Bind(wxEVT_BUTTON, &CAddArchiveDlg::OnAdd, this, XRCID("IDC_ADD"));
}

std::optional<DestinationKind> CAddArchiveDlg::SelectedKind() const {
    for (const DestinationKindRules& rules : KnownDestinationKinds())
        if (XRCCTRL(*this, rules.selector, wxRadioButton)->GetValue()) return rules.kind;
    return std::nullopt;
}

void CAddArchiveDlg::OnAdd(wxCommandEvent&) {
    const std::optional<DestinationKind> kind = SelectedKind();
    if (!kind) return;
    ArchiveDestination candidate(*kind);
    ReadSectionFields(*this, *kind, candidate, "");
    const std::string refusal = AddNewArchive(candidate);
    if (!refusal.empty()) return ShowDestinationMessage(this, refusal);
    EndModal(wxID_OK);
}

}  // namespace mirabel
