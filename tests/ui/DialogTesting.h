#pragma once
// Running the program's dialogs for real in window tests: the dialog under test enters its own
// modal loop, the test acts inside that loop, and message boxes are answered by wxTEST_DIALOG
// expectations instead of waiting for a person.
#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <wx/testing.h>

namespace mirabel {

// Answers every modal dialog from the test's expectations, except the one dialog that RunModal
// shows for real. A dialog nobody expected fails the test and is answered (OK for a message
// box, Cancel for any other) so that the test cannot hang on it.
class MessageBoxHook : public wxTestingModalHook {
  public:
    using wxTestingModalHook::wxTestingModalHook;

  protected:
    int Enter(wxDialog* dialog) override;
    void ReportFailure(const wxString& message) override;
};

#undef wxTEST_DIALOG_HOOK_CLASS
#define wxTEST_DIALOG_HOOK_CLASS MessageBoxHook

// Expects a message box with exactly this text, captioned with the program's name, and answers
// OK.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
  public:
    explicit ExpectMessage(std::string text) : m_text(std::move(text)) {}

  protected:
    int OnInvoked(wxMessageDialog* dialog) const override;
    wxString GetDefaultDescription() const override;

  private:
    std::string m_text;
};

// Expects a message box whose text begins with this text (the rest names figures or a reason
// the test does not fix), and answers OK; the whole text is kept in shown.
class ExpectMessageBeginning : public wxExpectModalBase<wxMessageDialog, ExpectMessageBeginning> {
  public:
    ExpectMessageBeginning(std::string beginning, std::string* shown = nullptr)
        : m_beginning(std::move(beginning)), m_shown(shown) {}

  protected:
    int OnInvoked(wxMessageDialog* dialog) const override;
    wxString GetDefaultDescription() const override;

  private:
    std::string m_beginning;
    std::string* m_shown;
};

// What became of a dialog run by RunModal.
struct ModalOutcome {
    int result = wxID_NONE;  // what ShowModal returned
    bool leftOpen = false;   // act left the dialog open (it was then cancelled)
};

// Shows dialog modally and runs act inside its modal loop; a dialog that act leaves open is
// then cancelled.
ModalOutcome RunModal(wxDialog& dialog, const std::function<void()>& act);

// Lets the next modal dialog (not a message box) that opens while this object lives run for
// real, and runs act inside its modal loop; a dialog that act leaves open is then cancelled.
// For dialogs that the code under test creates itself, such as the main window's Edit Archive.
class ActInNextDialog : public wxModalDialogHook {
  public:
    explicit ActInNextDialog(std::function<void(wxDialog&)> act);
    ~ActInNextDialog() override;
    bool Used() const { return m_used; }

  protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}

  private:
    std::function<void(wxDialog&)> m_act;
    bool m_used = false;
};

// Sends a button click to the open dialog, as pressing the button does.
void Press(wxDialog& dialog, int buttonId);
void Press(wxDialog& dialog, const char* buttonName);

// Types text into the named text control of dialog, or returns its text.
void Type(wxDialog& dialog, const char* control, const std::string& text);
std::string TextOf(const wxDialog& dialog, const char* control);

}  // namespace mirabel
