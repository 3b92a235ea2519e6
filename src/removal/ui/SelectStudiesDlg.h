#pragma once
// "Select Studies": every deletion candidate in one fixed-width list with the selected ones
// highlighted. Delete Now deletes the highlighted studies; Close keeps the highlighting as the
// selection, Esc and the close box keep the selection as it was. In the unattended pass the
// dialog deletes the preselected studies one second after it opens, and closes.
#include <string>
#include <vector>

#include <wx/font.h>

#include "core/ui/LayoutDialog.h"
#include "removal/CandidateLines.h"
#include "removal/RemovalHost.h"
#include "removal/ui/UnattendedStep.h"

class wxListBox;

namespace mirabel {

enum class RemovalMode { Manual, Auto };

class CSelectStudiesDlg : public LayoutDialog {
  public:
    CSelectStudiesDlg(RemovalHost& host, wxWindow* parent, RemovalMode mode = RemovalMode::Manual);

    // "Delete Now": once the operator has confirmed (not in the unattended pass), the
    // highlighted studies are deleted as one run of the start directory, then the dialog closes
    // with OK.
    void OnDeleteNow();

    bool DeleteTimerRunning() const { return deleteStep_.Running(); }

  private:
    void FillList();
    void HighlightAll(bool on);
    // The studies the highlighted lines show.
    std::vector<CandidateKey> HighlightedKeys() const;
    void OnClose();

    RemovalHost& host_;
    bool m_bAutoMode;
    std::string m_strSkip;       // "Skip" as it was when the dialog opened
    bool m_bVerifyFolderCopies;  // "VerifyFolderCopies" likewise
    wxFont m_font;
    wxListBox* m_lbStudies = nullptr;
    std::vector<CandidateKey> lineKeys_;  // the study each line shows, by line
    UnattendedStep deleteStep_;           // timer 6: Delete Now in the unattended pass
};

}  // namespace mirabel
