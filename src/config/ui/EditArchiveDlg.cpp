#include "config/ui/EditArchiveDlg.h"

#include <wx/xrc/xmlres.h>

#include "config/ArchiveDestination.h"
#include "config/DestinationValidation.h"

namespace mirabel {

CEditArchiveDlg::CEditArchiveDlg(ArchiveDestination* record, wxWindow* parent, const char* resource,
                                 DestinationKind kind, Checks checks, const char* dicomDirOff)
    : m_pRecord(record), m_kind(kind), m_checks(checks), m_dicomDirOff(dicomDirOff) {
    wxXmlResource::Get()->LoadDialog(this, parent, resource);
    ShowSectionFields(*this, m_kind, record ? *record : ArchiveDestination());
    Bind(wxEVT_BUTTON, &CEditArchiveDlg::OnUpdate, this, XRCID("IDC_UPDATE"));
}

void CEditArchiveDlg::OnUpdate(wxCommandEvent&) {
    ArchiveDestination edited = m_pRecord ? *m_pRecord : ArchiveDestination();
    ReadSectionFields(*this, m_kind, edited, m_dicomDirOff);
    if (m_checks == Checks::RequiredFields) {
        edited.SetKind(m_kind);
        const std::string refusal = MissingFieldMessage(edited);
        if (!refusal.empty()) return ShowDestinationMessage(this, refusal);
    }
    if (m_pRecord) {
        *m_pRecord = edited;
        m_pRecord->BuildId();
    }
    EndModal(wxID_OK);
}

}  // namespace mirabel
