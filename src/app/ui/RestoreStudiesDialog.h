#pragma once
// Restore Studies: the operator finds removed studies (media type "Archive") by name, MRN and
// exam date as in the manual selection, sees where each one's copy is, and brings the
// highlighted ones back under the progress window (Cancel stops after the study in hand). A
// removable medium is asked for by its label.
#include <string>
#include <vector>

#include "app/ArchiverCore.h"
#include "core/ui/LayoutDialog.h"
#include "selection/ManualArchiveSelection.h"

class wxListBox;
class wxTextCtrl;

namespace mirabel {

class RestoreStudiesDialog : public LayoutDialog {
  public:
    RestoreStudiesDialog(ArchiverCore& core, wxWindow* parent);

    // The studies the last search found, in the list's order.
    const std::vector<SearchResult>& Found() const { return search_.Results(); }

  private:
    bool Busy() const override;
    SearchForm Form() const;
    void ShowFound();

    void OnSearch();
    void OnRestore();

    ArchiverCore& core_;
    ManualArchiveSelection search_;
    wxListBox* results_ = nullptr;
    wxTextCtrl* lastName_ = nullptr;
    wxTextCtrl* firstName_ = nullptr;
    wxTextCtrl* mrn_ = nullptr;
    wxTextCtrl* dateFrom_ = nullptr;
    wxTextCtrl* dateTo_ = nullptr;
};

// The line of a removed study: name, MRN, exam date and the place of its copy (its archive
// value: the destination and, for a medium, its label).
std::string RestoreLine(const SearchResult& study);

}  // namespace mirabel
