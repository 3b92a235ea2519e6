#pragma once
// Select Date: a calendar for the search's Date From or Date To. A click on a day of the month
// shown picks it and closes the dialog, as OK does; moving to another month keeps it open.
#include <string>

#include <wx/calctrl.h>  // wxCalendarCtrl names the toolkit's own class: no forward declaration
#include <wx/datetime.h>

#include "core/ui/LayoutDialog.h"

namespace mirabel {

class CSelectDateDlg : public LayoutDialog {
  public:
    // field names the search field the date goes into ("Date From" or "Date To"); the dialog
    // says it above the calendar.
    explicit CSelectDateDlg(wxWindow* parent = nullptr, const std::string& field = "Date");

    wxDateTime m_time = wxDateTime::Now();  // the picked date; today until OK
    std::string m_strDate;                  // after OK: the picked date as MM/DD/YYYY

  private:
    void OnOK();
    void OnDayClicked(const wxCalendarEvent& event);

    wxCalendarCtrl* picker_ = nullptr;
    wxDateTime shown_;  // the date selected before the last change, for its month
};

}  // namespace mirabel
