#include "selection/ui/SelectDateDlg.h"

#include <wx/calctrl.h>
#include <wx/stattext.h>

#include "core/ui/WxText.h"

namespace mirabel {

CSelectDateDlg::CSelectDateDlg(wxWindow* parent, const std::string& field)
    : LayoutDialog(parent, "IDD_SELECT_DATE") {
    Find<wxStaticText>("IDC_DATE_FOR")->SetLabel(ToWx(field + ":"));
    picker_ = Find<wxCalendarCtrl>("IDC_DATE_PICKER");
    picker_->SetDate(m_time);
    shown_ = m_time;
    OnButton(wxID_OK, [this] { OnOK(); });
    picker_->Bind(wxEVT_CALENDAR_SEL_CHANGED, &CSelectDateDlg::OnDayClicked, this);
    picker_->Bind(wxEVT_CALENDAR_DOUBLECLICKED, [this](wxCalendarEvent&) { OnOK(); });
    FitToContent();
}

// The calendar reports a move to another month as a change of the selected date too (the
// same day in the new month); only a day of the month on show is a pick.
void CSelectDateDlg::OnDayClicked(const wxCalendarEvent& event) {
    const wxDateTime before = shown_;
    shown_ = event.GetDate();
    if (shown_.GetMonth() == before.GetMonth() && shown_.GetYear() == before.GetYear()) OnOK();
}

void CSelectDateDlg::OnOK() {
    m_time = picker_->GetDate();
    m_strDate = FromWx(m_time.Format("%m/%d/%Y"));
    EndModal(wxID_OK);
}

}  // namespace mirabel
