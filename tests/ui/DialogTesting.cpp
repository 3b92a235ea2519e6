#include "ui/DialogTesting.h"

#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "core/ui/ProgramMessageBox.h"
#include "core/ui/WxText.h"

namespace mirabel {

namespace {
// The dialog RunModal is running for real; every other modal dialog is answered by the hook.
wxDialog* g_dialogUnderTest = nullptr;
}  // namespace

int MessageBoxHook::Enter(wxDialog* dialog) {
    if (dialog == g_dialogUnderTest) return wxID_NONE;
    const int answer = wxTestingModalHook::Enter(dialog);
    if (answer != wxID_NONE) return answer;
    return dynamic_cast<wxMessageDialog*>(dialog) ? wxID_OK : wxID_CANCEL;
}

void MessageBoxHook::ReportFailure(const wxString& message) {
    ADD_FAILURE() << FromWx(message);
}

int ExpectMessage::OnInvoked(wxMessageDialog* dialog) const {
    EXPECT_EQ(FromWx(dialog->GetMessage()), m_text);
    EXPECT_EQ(dialog->GetCaption(), ProgramName()) << m_text;
    return wxID_OK;
}

wxString ExpectMessage::GetDefaultDescription() const {
    return "message box \"" + ToWx(m_text) + "\"";
}

int ExpectMessageBeginning::OnInvoked(wxMessageDialog* dialog) const {
    const std::string text = FromWx(dialog->GetMessage());
    EXPECT_EQ(text.substr(0, m_beginning.size()), m_beginning);
    if (m_shown) *m_shown = text;
    return wxID_OK;
}

wxString ExpectMessageBeginning::GetDefaultDescription() const {
    return "message box beginning \"" + ToWx(m_beginning) + "\"";
}

ModalOutcome RunModal(wxDialog& dialog, const std::function<void()>& act) {
    ModalOutcome outcome;
    dialog.CallAfter([&] {
        act();
        outcome.leftOpen = dialog.IsModal();
        if (outcome.leftOpen) dialog.EndModal(wxID_CANCEL);
    });
    wxDialog* const previous = g_dialogUnderTest;
    g_dialogUnderTest = &dialog;
    outcome.result = dialog.ShowModal();
    g_dialogUnderTest = previous;
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

ActInNextDialog::ActInNextDialog(std::function<void(wxDialog&)> act) : m_act(std::move(act)) {
    Register();
}

ActInNextDialog::~ActInNextDialog() {
    Unregister();
}

int ActInNextDialog::Enter(wxDialog* dialog) {
    if (m_used || dynamic_cast<wxMessageDialog*>(dialog)) return wxID_NONE;
    m_used = true;
    dialog->CallAfter([dialog, act = m_act] {
        act(*dialog);
        if (dialog->IsModal()) dialog->EndModal(wxID_CANCEL);
    });
    return wxID_NONE;
}

}  // namespace mirabel
