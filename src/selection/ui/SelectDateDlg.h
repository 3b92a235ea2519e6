#pragma once
// Select Date: a calendar for the search's Date From and Date To.
#include <string>

#include <wx/datetime.h>

#include "core/ui/LayoutDialog.h"

class wxDatePickerCtrl;

namespace mirabel {

class CSelectDateDlg : public LayoutDialog {
  public:
    explicit CSelectDateDlg(wxWindow* parent = nullptr);

    wxDateTime m_time = wxDateTime::Now();  // the picked date; today until OK
    std::string m_strDate;                  // after OK: the picked date as MM/DD/YYYY

  private:
    void OnOK();

    wxDatePickerCtrl* picker_ = nullptr;
};

}  // namespace mirabel
