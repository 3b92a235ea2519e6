#include "config/ui/DestinationFields.h"

#include <vector>

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "config/ArchiveDestination.h"
#include "core/ui/WxText.h"

namespace mirabel {

namespace {

struct BoundField {
    const char* control;
    std::string ArchiveDestination::*field;
};

std::vector<BoundField> FieldsOf(DestinationSection section) {
    using D = ArchiveDestination;
    switch (section) {
        case DestinationSection::Ftp:
            return {{"IDC_FTP_IP", &D::m_strIpAddress},
                    {"IDC_FTP_ROOT_PATH", &D::m_strRootPath},
                    {"IDC_FTP_USERNAME", &D::m_strUserName},
                    {"IDC_FTP_PASSWORD", &D::m_strPassword}};
        case DestinationSection::Nfs:
            return {{"IDC_NFS_ROOT_PATH", &D::m_strRootPath}, {"IDC_NFS_LABEL", &D::m_strLabel}};
        case DestinationSection::Server:
            return {{"IDC_CORVA_IP", &D::m_strIpAddress},
                    {"IDC_CORVA_PORT", &D::m_strPort},
                    {"IDC_CORVA_USERNAME", &D::m_strUserName},
                    {"IDC_CORVA_PASSWORD", &D::m_strPassword},
                    {"IDC_CORVA_ROOT_PATH", &D::m_strRootPath}};
        case DestinationSection::Removable:
            return {{"IDC_REM_MEDIA_TYPE", &D::m_strMediaType},
                    {"IDC_REM_LABEL", &D::m_strLabel},
                    {"IDC_REM_ROOT_PATH", &D::m_strRootPath},
                    {"IDC_REM_MEDIA_SIZE", &D::m_strMediaSize}};
    }
    return {};
}

wxTextCtrl& TextControl(const wxWindow& dialog, const char* name) {
    return *XRCCTRL(dialog, name, wxTextCtrl);
}

wxCheckBox& DicomDirBox(const wxWindow& dialog) {
    return *XRCCTRL(dialog, "IDC_REM_DICOMDIR", wxCheckBox);
}

}  // namespace

const char* TypeOf(DestinationSection section) {
    switch (section) {
        case DestinationSection::Ftp:
            return kFtpType;
        case DestinationSection::Nfs:
            return kNfsType;
        case DestinationSection::Server:
            return kServerType;
        case DestinationSection::Removable:
            return kRemovableType;
    }
    return kRemovableType;
}

void ShowSectionFields(wxWindow& dialog, DestinationSection section,
                       const ArchiveDestination& destination) {
    for (const BoundField& bound : FieldsOf(section))
        TextControl(dialog, bound.control).ChangeValue(ToWx(destination.*bound.field));
    if (section == DestinationSection::Removable)
        DicomDirBox(dialog).SetValue(destination.m_strDicomDir == kSaveDicomDir);
}

void ReadSectionFields(const wxWindow& dialog, DestinationSection section,
                       ArchiveDestination& destination, const char* dicomDirOff) {
    for (const BoundField& bound : FieldsOf(section))
        destination.*bound.field = FromWx(TextControl(dialog, bound.control).GetValue());
    if (section == DestinationSection::Removable)
        destination.m_strDicomDir = DicomDirBox(dialog).GetValue() ? kSaveDicomDir : dicomDirOff;
}

void ShowDestinationMessage(wxWindow* parent, const std::string& text) {
    wxMessageBox(ToWx(text), wxTheApp->GetAppDisplayName(), wxOK, parent);
}

}  // namespace mirabel
