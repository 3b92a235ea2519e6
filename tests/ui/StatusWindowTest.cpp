// The Status window as the operator opens it from the main window: the status report's text
// and the chart of the last days' runs, reloaded by a second click and after every run.
#include "report/ui/StatusWindow.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/RunEnd.h"
#include "app/ui/ArchiverDlg.h"
#include "catalog/CatalogTime.h"
#include "catalog/RunRecording.h"
#include "core/ui/WxText.h"
#include "fixtures/ProgramDirectory.h"
#include "report/ui/RunChartPanel.h"

namespace mirabel {
namespace {

RunRecord RunEndedDaysAgo(const char* kind, int daysAgo, int done) {
    RunRecord run;
    run.kind = kind;
    run.started = CatalogTimeSecondsAgo(daysAgo * 86400.0 + 600);
    run.ended = CatalogTimeSecondsAgo(daysAgo * 86400.0);
    run.done = done;
    return run;
}

TEST(StatusWindow, OpensFromTheMainWindowWithTheReportAndTheLastDays) {
    ProgramDirectory dir;
    dir.StoreFolderArchive(20, 1);
    WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());
    auto clickStatus = [&] {
        wxCommandEvent click(wxEVT_BUTTON, XRCID("IDC_VIEW_STATUS"));
        window.GetEventHandler()->ProcessEvent(click);
    };

    // No catalog yet: the report all the same, and a chart that says there is nothing to draw.
    clickStatus();
    StatusWindow* status = window.StatusViewer();
    ASSERT_NE(status, nullptr);
    EXPECT_NE(status->Text().find("Waiting to be archived\n  20 studies, "), std::string::npos);
    EXPECT_EQ(status->Chart().DayCount(), 0);
    auto* text = wxDynamicCast(status->FindWindow(XRCID("IDC_REPORT")), wxTextCtrl);
    ASSERT_NE(text, nullptr);
    EXPECT_FALSE(text->IsEditable());
    EXPECT_EQ(FromWx(text->GetValue()), status->Text());
    EXPECT_EQ(status->GetParent(), nullptr);

    // A second click reloads the one window there is.
    ASSERT_TRUE(RecordRunQuietly(RunEndedDaysAgo(kRunArchive, 3, 12)));
    clickStatus();
    EXPECT_EQ(window.StatusViewer(), status);
    EXPECT_EQ(status->Chart().DayCount(), kChartDays);

    // A run that ends in this window shows in it once the run has unwound.
    ASSERT_TRUE(RecordRunQuietly(RunEndedDaysAgo(kRunRemoval, 0, 5)));
    RunEnded(window.Core());
    EXPECT_EQ(status->Text().find("removal: "), std::string::npos);
    wxTheApp->ProcessPendingEvents();
    EXPECT_NE(status->Text().find("removal: "), std::string::npos);

    wxKeyEvent escape(wxEVT_CHAR_HOOK);
    escape.m_keyCode = WXK_ESCAPE;
    status->GetEventHandler()->ProcessEvent(escape);
    EXPECT_EQ(window.StatusViewer(), nullptr);
    wxTheApp->ProcessIdle();
}

}  // namespace
}  // namespace mirabel
