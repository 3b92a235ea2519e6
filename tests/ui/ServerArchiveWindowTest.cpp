// A run to an image-server destination with the real windows: the progress window stays alive
// while the table-data reply is awaited, and its Cancel ends the wait.
#include <gtest/gtest.h>

#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/xrc/xmlres.h>

#include <chrono>

#include "app/WindowRun.h"
#include "app/ui/ArchiverDlg.h"
#include "app/ui/WxOperator.h"
#include "archive/RunState.h"
#include "archive/ui/ArchiveProgressDlg.h"
#include "fixtures/ArchiveColumnReader.h"
#include "fixtures/FtpServer.h"
#include "fixtures/LogMessages.h"
#include "fixtures/ProgramDirectory.h"
#include "fixtures/TableDataServer.h"
#include "log/Logs.h"
#include "ui/DialogTesting.h"

namespace mirabel {

namespace {

CArchiveProgressDlg* ShownProgressWindow() {
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* progress = dynamic_cast<CArchiveProgressDlg*>(window);
            progress && progress->IsShown())
            return progress;
    return nullptr;
}

std::string Label(wxWindow& window, const char* control) {
    return XRCCTRL(window, control, wxStaticText)->GetLabel().ToStdString();
}

TEST(ServerArchiveWindow, TheProgressStaysAliveAndCancelEndsTheWaitForTheReply) {
    ProgramDirectory dir;
    dir.MakeServerStudies();
    TempDir served;
    FtpServer ftp(served.path());
    TableDataServer table({{"PATIENT", {TableAnswer::Silent()}}});  // the full 120 s wait
    dir.StoreServerArchive(ftp, std::to_string(table.Port()));
    std::unique_ptr<Operator> previous = InstallOperator(std::make_unique<WxOperator>());
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());

    // Runs inside the run's event pump: once the server holds the request, the test reads the
    // progress window and presses its Cancel.
    std::string studies, files;
    wxTimer watcher;
    watcher.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        CArchiveProgressDlg* progress = ShownProgressWindow();
        if (!progress || table.Requests().empty() || !studies.empty()) return;
        studies = Label(*progress, "IDC_STUDIES_TEXT");
        files = Label(*progress, "IDC_FILES_TEXT");
        wxCommandEvent cancel(wxEVT_BUTTON, wxID_CANCEL);
        progress->GetEventHandler()->ProcessEvent(cancel);
    });
    watcher.Start(50);
    const auto start = std::chrono::steady_clock::now();
    RunModal(window, [&] {
        wxCommandEvent click(wxEVT_BUTTON, XRCID("IDC_START_ARCHIVE_NOW"));
        wxTEST_DIALOG(
            window.GetEventHandler()->ProcessEvent(click),
            ExpectMessage("Archive run stopped (Cancel was pressed): 0 studies archived, 1 "
                          "failed, 1 not reached, 0.0 MB. See the error log for "
                          "details."));
    });
    watcher.Stop();
    InstallOperator(std::move(previous));

    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(studies, "Transferring 1 of 2 studies");
    EXPECT_EQ(files, "Transferring 3 of 3 files");
    EXPECT_EQ(g_pProgressDlg, nullptr);
    EXPECT_EQ(table.Requests().size(), 1u);
    EXPECT_EQ(ReadArchiveValue(dir / "echo.db", 1001), "");
    const std::vector<std::string> activity = ReadLogMessages(dir / kActivityLogFile);
    ASSERT_GE(activity.size(), 2u);
    EXPECT_EQ(activity[activity.size() - 2], "Archive stopped by user");
}

}  // namespace

}  // namespace mirabel
