#include "report/ui/StatusWindow.h"

#include <exception>

#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "core/ui/OwnInputGroup.h"
#include "core/ui/WxText.h"
#include "report/ui/RunChartPanel.h"

namespace mirabel {

namespace {
// The window's client area, in dialog units: the report's long lines and the chart side by
// side with the main window on a 1280x720 screen would not fit, so it opens beside it.
const wxSize kStatusWindowSize(440, 290);
}  // namespace

// No parent: an owned window stays above its owner, and one left open would cover the main
// window's buttons. The main window closes it when it goes.
StatusWindow::StatusWindow(StatusReportMaker makeReport)
    : LayoutDialog(nullptr, "IDD_STATUS"), makeReport_(std::move(makeReport)) {
    TakeInputBesideModalDialogs(*this);
    chart_ = new RunChartPanel(this);
    wxXmlResource::Get()->AttachUnknownControl("IDC_CHART", chart_, this);
    report_ = Find<wxTextCtrl>("IDC_REPORT");
    // The report lines up its figures in columns.
    report_->SetFont(
        wxFont(wxFontInfo(report_->GetFont().GetPointSize()).Family(wxFONTFAMILY_TELETYPE)));
    OnButton("IDC_REFRESH", [this] { Reload(); });
    OnButton(wxID_CLOSE, [this] { Close(); });
    SetEscapeId(wxID_CLOSE);
    // A closed window is gone for good: destroy it rather than keep it hidden.
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Destroy(); });
    SetClientSize(ConvertDialogToPixels(kStatusWindowSize));
    SetMinSize(GetSizer()->GetMinSize() + (GetSize() - GetClientSize()));
    Reload();
}

void StatusWindow::Reload() {
    wxBusyCursor working;
    std::optional<StatusReport> report;
    try {
        report = makeReport_();
    } catch (const std::exception& failure) {
        // The report says itself what it cannot read; this is for what it did not foresee.
        text_ = std::string("The status report could not be made: ") + failure.what() + "\n";
        report_->ChangeValue(ToWx(text_));
        return;
    }
    if (!report) {
        if (text_.empty())
            report_->ChangeValue("A run is in progress: the report follows when it ends.");
        return;
    }
    text_ = ReportText(*report);
    report_->ChangeValue(ToWx(text_));
    chart_->ShowDays(std::move(report->lastDays), report->catalogUnknownBecause.empty());
}

}  // namespace mirabel
