#pragma once
// "Select Studies": every deletion candidate in a list with a column per value (sorted by a
// click on a column's header) with the selected ones highlighted. Delete Now deletes the
// highlighted studies; Close keeps the highlighting as the selection, Esc and the close box keep
// the selection as it was. In the unattended pass the dialog deletes the preselected studies
// one second after it opens, and closes.
#include <string>
#include <vector>

#include "core/ui/LayoutDialog.h"
#include "removal/CandidateLines.h"
#include "removal/RemovalHost.h"
#include "removal/ui/UnattendedStep.h"

class wxListCtrl;

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
    // Sorts the rows by the column's values; a second click on the same header reverses it.
    void SortBy(int column);
    // The indexes into lines_ of the highlighted rows, and the studies they show.
    std::vector<std::size_t> HighlightedLines() const;
    std::vector<CandidateKey> HighlightedKeys() const;
    void OnClose();

    RemovalHost& host_;
    bool m_bAutoMode;
    std::string m_strSkip;       // "Skip" as it was when the dialog opened
    bool m_bVerifyFolderCopies;  // "VerifyFolderCopies" likewise
    wxListCtrl* m_lbStudies = nullptr;
    // Every candidate's line, in list order; each row's item data is its index here.
    std::vector<CandidateListLine> lines_;
    int sortColumn_ = -1;
    bool sortAscending_ = true;
    UnattendedStep deleteStep_;  // timer 6: Delete Now in the unattended pass
};

}  // namespace mirabel
