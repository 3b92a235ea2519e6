#include "archive/ui/ArchiveProgressDlg.h"

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>
#include <wx/xrc/xmlres.h>

#include "app/ProcessState.h"
#include "app/WindowRun.h"
#include "archive/RunState.h"
#include "ui/DialogTesting.h"

namespace mirabel {

namespace {

TEST(ProgressWindow, BarsAndTextsFollowEachUpdate) {
    auto* window = new CArchiveProgressDlg(nullptr, false, [] { RequestStop(); });
    EXPECT_EQ(window->GetTitle(), "Archiving Studies");
    auto* studies = XRCCTRL(*window, "IDC_STUDIES_BAR", wxGauge);
    auto* files = XRCCTRL(*window, "IDC_FILES_BAR", wxGauge);

    window->SetStudyProgress(1, 1);
    EXPECT_EQ(studies->GetRange(), 1);
    EXPECT_EQ(studies->GetValue(), 1);
    EXPECT_EQ(XRCCTRL(*window, "IDC_STUDIES_TEXT", wxStaticText)->GetLabel(),
              "Transferring 1 of 1 studies");

    window->SetFileProgress(1, 5);
    EXPECT_EQ(files->GetRange(), 5);
    window->SetFileProgress(2, 7);
    EXPECT_EQ(files->GetRange(), 7);
    EXPECT_EQ(files->GetValue(), 2);
    EXPECT_EQ(XRCCTRL(*window, "IDC_FILES_TEXT", wxStaticText)->GetLabel(),
              "Transferring 2 of 7 files");
    window->Destroy();
}

TEST(ProgressWindow, DeletionTextsAndCancelSetsTheStopFlag) {
    ResetProcessState();
    auto* window = new CArchiveProgressDlg(nullptr, true, [] { RequestStop(); });
    window->Show();
    window->SetStudyProgress(3, 9);
    EXPECT_EQ(XRCCTRL(*window, "IDC_STUDIES_TEXT", wxStaticText)->GetLabel(),
              "Deleting 3 of 9 studies");

    wxCommandEvent cancel(wxEVT_BUTTON, wxID_CANCEL);
    window->GetEventHandler()->ProcessEvent(cancel);
    EXPECT_TRUE(StopRequested());
    EXPECT_FALSE(window->IsShown());
    window->Destroy();
    ResetProcessState();
}

// Lets the display and the toolkit catch up with what was just done.
void Settle() {
    for (int i = 0; i < 25; ++i) {
        wxTheApp->Yield();
        wxMilliSleep(20);
    }
}

TEST(ProgressWindow, CancelTakesAMouseClickWhileAModalDialogRuns) {
    wxDialog modal(nullptr, wxID_ANY, "modal", wxPoint(0, 0), wxSize(300, 200));
    ResetProcessState();
    RunModal(modal, [&] {
        auto* window = new CArchiveProgressDlg(&modal, false, [] { RequestStop(); });
        // Out of the way of windows other tests on the same display open near the top left.
        window->Move(980, 860);
        window->Show();
        window->Raise();
        Settle();
        const wxWindow* cancel = window->FindWindow(wxID_CANCEL);
        wxUIActionSimulator mouse;
        mouse.MouseMove(cancel->GetScreenRect().GetPosition() + cancel->GetSize() / 2);
        Settle();
        mouse.MouseClick();
        Settle();
        window->Destroy();
    });
    EXPECT_TRUE(StopRequested());
    ResetProcessState();
}

}  // namespace

}  // namespace mirabel
