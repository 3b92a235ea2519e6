#include "config/ui/DestinationFields.h"

#include <wx/checkbox.h>
#include <wx/textctrl.h>

#include "config/ArchiveDestination.h"
#include "core/ui/LayoutDialog.h"
#include "core/ui/ProgramMessageBox.h"
#include "core/ui/WxText.h"

namespace mirabel {

namespace {

wxTextCtrl& TextControl(const wxWindow& dialog, const char* name) {
    return *FindControl<wxTextCtrl>(dialog, name);
}

wxCheckBox& DicomDirBox(const wxWindow& dialog) {
    return *FindControl<wxCheckBox>(dialog, "IDC_REM_DICOMDIR");
}

}  // namespace

void ShowSectionFields(wxWindow& dialog, DestinationKind kind,
                       const ArchiveDestination& destination) {
    for (const DestinationValue& value : RulesOf(kind).values)
        if (value.control)
            TextControl(dialog, value.control).ChangeValue(ToWx(destination.*value.field));
    if (kind == DestinationKind::Removable)
        DicomDirBox(dialog).SetValue(destination.m_strDicomDir == kSaveDicomDir);
}

void ReadSectionFields(const wxWindow& dialog, DestinationKind kind,
                       ArchiveDestination& destination, const char* dicomDirOff) {
    for (const DestinationValue& value : RulesOf(kind).values)
        if (value.control)
            destination.*value.field = FromWx(TextControl(dialog, value.control).GetValue());
    if (kind == DestinationKind::Removable)
        destination.m_strDicomDir = DicomDirBox(dialog).GetValue() ? kSaveDicomDir : dicomDirOff;
}

void ShowDestinationMessage(wxWindow* parent, const std::string& text) {
    ProgramMessageBox(ToWx(text), wxOK, parent);
}

}  // namespace mirabel
