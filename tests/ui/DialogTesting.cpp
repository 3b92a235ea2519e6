#include "ui/DialogTesting.h"

#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/WxText.h"

int MessageBoxHook::Enter(wxDialog* dialog) {
    if (!dynamic_cast<wxMessageDialog*>(dialog)) return wxID_NONE;
    const int answer = wxTestingModalHook::Enter(dialog);
    return answer == wxID_NONE ? wxID_OK : answer;
}

void MessageBoxHook::ReportFailure(const wxString& message) {
    ADD_FAILURE() << FromWx(message);
}

int ExpectMessage::OnInvoked(wxMessageDialog* dialog) const {
    EXPECT_EQ(FromWx(dialog->GetMessage()), m_text);
    return wxID_OK;
}

wxString ExpectMessage::GetDefaultDescription() const {
    return "message box \"" + ToWx(m_text) + "\"";
}

ModalOutcome RunModal(wxDialog& dialog, const std::function<void()>& act) {
    ModalOutcome outcome;
    dialog.CallAfter([&] {
        act();
        outcome.leftOpen = dialog.IsModal();
        if (outcome.leftOpen) dialog.EndModal(wxID_CANCEL);
    });
    outcome.result = dialog.ShowModal();
    return outcome;
}

void Press(wxDialog& dialog, int buttonId) {
    // A dialog that closed too early must fail the test, not stop it on a toolkit assertion.
    if (!dialog.IsModal()) {
        ADD_FAILURE() << "button " << buttonId << " pressed on a dialog that is not open";
        return;
    }
    wxCommandEvent click(wxEVT_BUTTON, buttonId);
    click.SetEventObject(dialog.FindWindow(buttonId));
    dialog.ProcessWindowEvent(click);
}

void Press(wxDialog& dialog, const char* buttonName) {
    Press(dialog, XRCID(buttonName));
}

void Type(wxDialog& dialog, const char* control, const std::string& text) {
    XRCCTRL(dialog, control, wxTextCtrl)->ChangeValue(ToWx(text));
}

std::string TextOf(const wxDialog& dialog, const char* control) {
    return FromWx(XRCCTRL(dialog, control, wxTextCtrl)->GetValue());
}
