#include "config/ui/AddArchiveDlg.h"

#include <array>

#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "config/ArchiveDestination.h"
#include "config/DestinationValidation.h"

namespace mirabel {

namespace {

struct TypeRadio {
    const char* name;
    DestinationSection section;
};

// In the order the selection is tested.
constexpr std::array<TypeRadio, 4> kTypeRadios{{
    {"IDC_TYPE_FTP", DestinationSection::Ftp},
    {"IDC_TYPE_NFS", DestinationSection::Nfs},
    {"IDC_TYPE_CORVA", DestinationSection::Server},
    {"IDC_TYPE_REM", DestinationSection::Removable},
}};

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

std::optional<DestinationSection> CAddArchiveDlg::SelectedSection() const {
    for (const TypeRadio& radio : kTypeRadios)
        if (XRCCTRL(*this, radio.name, wxRadioButton)->GetValue()) return radio.section;
    return std::nullopt;
}

void CAddArchiveDlg::OnAdd(wxCommandEvent&) {
    const std::optional<DestinationSection> section = SelectedSection();
    if (!section) return;
    ArchiveDestination candidate;
    candidate.m_strType = TypeOf(*section);
    ReadSectionFields(*this, *section, candidate, "");
    const std::string refusal = AddNewArchive(candidate);
    if (!refusal.empty()) return ShowDestinationMessage(this, refusal);
    EndModal(wxID_OK);
}

}  // namespace mirabel
