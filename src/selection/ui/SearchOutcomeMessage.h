#pragma once
// What a search form's outcome tells the operator, in every dialog that searches the studies.
#include "core/ui/ProgramMessageBox.h"
#include "core/ui/WxText.h"
#include "selection/ManualArchiveSelection.h"

namespace mirabel {

// True when the results are to be shown afresh (found, none found, or emptied by a database
// that could not be searched). A search that found nothing, a database that is not set up or
// failed, and a date that is no date are each said in a message box over parent.
inline bool SearchRan(SearchOutcome outcome, const ManualArchiveSelection& search,
                      wxWindow* parent) {
    switch (outcome) {
        case SearchOutcome::Searched:
            if (search.Results().empty()) ProgramMessageBox("No studies found", wxOK, parent);
            return true;
        case SearchOutcome::DatabaseFailed:
            ProgramMessageBox(ToWx("The database could not be searched: " + search.SearchFailure() +
                                   "\nSee the error log for details."),
                              wxOK | wxICON_WARNING, parent);
            return true;
        case SearchOutcome::ConnectionIncomplete:
            ProgramMessageBox(
                "No database is set up to search: enter the database settings in the main "
                "window first.",
                wxOK | wxICON_WARNING, parent);
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
