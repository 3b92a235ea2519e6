#pragma once
// What a search form's outcome tells the operator, in every dialog that searches the studies.
#include "core/ui/ProgramMessageBox.h"
#include "selection/ArchiveSearch.h"

namespace mirabel {

// True when the search ran (its results are to be shown); otherwise a date that is no date is
// reported in a message box over parent (incomplete connection values say nothing: the main
// window shows them).
inline bool SearchRan(SearchOutcome outcome, wxWindow* parent) {
    switch (outcome) {
        case SearchOutcome::Searched:
            return true;
        case SearchOutcome::ConnectionIncomplete:
            break;
        case SearchOutcome::DateFromNotADate:
            ProgramMessageBox("Date From must be a date (MM/DD/YYYY).", wxOK, parent);
            break;
        case SearchOutcome::DateToNotADate:
            ProgramMessageBox("Date To must be a date (MM/DD/YYYY).", wxOK, parent);
            break;
    }
    return false;
}

}  // namespace mirabel
