#pragma once
// "Study Deletion": the rules by which archived studies leave the local image store, each
// stored the moment it changes, the count they select, and the Select Studies list from which
// the deletion starts, the selected studies with their sizes, and the room left on the image
// store. In auto mode the dialog is the
// unattended pass after a scheduled run: one second after it opens it applies the rules, lets
// Select Studies delete, and closes; rules that cannot be applied as they stand delete nothing.
#include <string>
#include <vector>

#include "core/ui/LayoutDialog.h"
#include "removal/CandidateSelection.h"
#include "removal/DeletionSettings.h"
#include "removal/RemovalHost.h"
#include "removal/ui/SelectStudiesDlg.h"
#include "removal/ui/UnattendedStep.h"

class wxCheckBox;
class wxStaticText;
class wxTextCtrl;

namespace mirabel {

class CStudyDeletionDlg : public LayoutDialog {
  public:
    CStudyDeletionDlg(RemovalHost& host, wxWindow* parent, RemovalMode mode = RemovalMode::Manual);

    // The rules as the controls show them select afresh; the outcome says what went wrong.
    SelectionOutcome UpdateSelectedStudies();

    bool AutoTimerRunning() const { return autoPass_.Running(); }

  private:
    // A check box and the setting it stores.
    struct RuleBox {
        wxCheckBox* box;
        const DeleteSetting* setting;
        bool DeletionSettings::*member;
    };
    // An edit and the setting it stores.
    struct RuleText {
        wxTextCtrl* edit;
        const DeleteSetting* setting;
        std::string DeletionSettings::*member;
    };

    void FindControls();
    void WriteControls();
    void ReadControls();
    // A rule's value field is usable exactly while the rule's box is ticked.
    void EnableRuleFields();
    void ShowSelection();
    void ShowStoreSpace();
    void OnUpdateSelected();
    void ShowProblems(const SelectionOutcome& outcome);
    void OnSelectStudies();
    void OnAutoPass();

    RemovalHost& host_;
    bool m_bAutoMode;
    DeletionSettings settings_;  // the members bound to the controls
    std::vector<RuleBox> boxes_;
    std::vector<RuleText> texts_;
    wxStaticText* selectedCount_ = nullptr;
    wxStaticText* storeSpace_ = nullptr;
    wxTextCtrl* selectionPreview_ = nullptr;  // the selected studies with their sizes
    UnattendedStep autoPass_;                 // timer 5: the auto pass
};

}  // namespace mirabel
