#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/stattext.h>
#include <wx/stopwatch.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include "app/WindowRun.h"
#include "app/ui/ArchiverDlg.h"
#include "app/ui/WxOperator.h"
#include "archive/RunLock.h"
#include "archive/RunState.h"
#include "core/Text.h"
#include "db/StudyRecord.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/ProgramDirectory.h"
#include "log/Logs.h"
#include "ui/DialogTesting.h"

namespace mirabel {

namespace {

// A folder destination and an image database with studies waiting, run with the real windows.
class ArchiveNowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.StoreFolderArchive(6, 3);
        WriteFileBytes(dir / "Default.cfg", "NFS:lab");
        previous = InstallOperator(std::make_unique<WxOperator>());
    }
    void TearDown() override { InstallOperator(std::move(previous)); }

    std::string Status(CArchiverDlg& window) {
        return XRCCTRL(window, "IDC_STATUS", wxStaticText)->GetLabel().ToStdString();
    }

    ProgramDirectory dir;
    std::unique_ptr<Operator> previous;
};

TEST_F(ArchiveNowTest, StartArchiveNowArchivesEveryWaitingStudy) {
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());
    ASSERT_EQ(Status(window), "6 studies to be archived");

    wxCommandEvent click(wxEVT_BUTTON, XRCID("IDC_START_ARCHIVE_NOW"));
    const std::string summary = "Archive run: 6 studies archived, 0 failed, 0 not reached, ";
    wxTEST_DIALOG(window.GetEventHandler()->ProcessEvent(click), ExpectMessageBeginning(summary));

    EXPECT_EQ(g_pProgressDlg, nullptr);
    EXPECT_EQ(Status(window), "No studies to be archived");
    EXPECT_EQ(window.Timer1Period(), 60000);
    EXPECT_TRUE(window.Timer1Running());
    EXPECT_TRUE(std::filesystem::exists(dir / "archive" / "images"));
    const std::string activity = ReadFileBytes(dir / kActivityLogFile);
    EXPECT_NE(activity.find("Archive started"), std::string::npos);
    EXPECT_NE(activity.find(summary), std::string::npos);
}

// The count follows another database file within a moment, not at the next minute's tick.
TEST_F(ArchiveNowTest, TheCountFollowsTheDatabaseSettingsAtOnce) {
    std::filesystem::copy_file(dir / "echo.db", dir / "two.db");
    RunSqlite(dir / "two.db", {"DELETE FROM EXAM WHERE EXAM_ID NOT IN "
                               "(SELECT EXAM_ID FROM EXAM ORDER BY EXAM_ID LIMIT 2)"});
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());
    ASSERT_EQ(Status(window), "6 studies to be archived");

    XRCCTRL(window, "IDC_DATABASE_FILE", wxTextCtrl)->SetValue((dir / "two.db").string());
    const wxStopWatch waited;
    while (Status(window) != "2 studies to be archived" && waited.Time() < 3000) {
        wxTheApp->Yield();
        wxMilliSleep(20);
    }
    EXPECT_EQ(Status(window), "2 studies to be archived");
}

TEST_F(ArchiveNowTest, TickInIncrementModeStartsARunAndRestartsTheTimer) {
    dir.Store("NFS:lab", "Archive", "IncrementMode", "TRUE");
    dir.Store("NFS:lab", "Archive", "Increment", "7");
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());

    window.Tick(1);  // a box waiting for a click would fail the test: no hook answers it

    EXPECT_EQ(Status(window), "No studies to be archived");
    EXPECT_NE(ReadFileBytes(dir / kActivityLogFile)
                  .find("Archive run: 6 studies archived, 0 failed, 0 not reached, "),
              std::string::npos);
    EXPECT_EQ(window.Timer1Period(), 7 * 60000);
    const std::string debug = ReadFileBytes(dir / kDebugLogFile);
    EXPECT_NE(debug.find("OnTimer started"), std::string::npos);
    EXPECT_NE(debug.find("OnTimer ended"), std::string::npos);
}

TEST_F(ArchiveNowTest, TicksDuringARunAreIgnored) {
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());
    {
        std::string refusal;
        const auto run = window.Core().BeginRun(refusal);
        ASSERT_TRUE(run) << refusal;
        window.Tick(1);
        // The count's tick would rebuild the list the run works through.
        g_StudyList.clear();
        window.Tick(2);
        EXPECT_TRUE(g_StudyList.empty());
    }
    EXPECT_EQ(ReadFileBytes(dir / kDebugLogFile).find("OnTimer started"), std::string::npos);
}

// The count's tick has no "OnTimer started", but ends like every tick, during a run too.
TEST_F(ArchiveNowTest, ACountTickEndsWithTheTickTrace) {
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());
    std::filesystem::remove(dir / kDebugLogFile);
    window.Tick(2);
    {
        std::string refusal;
        const auto run = window.Core().BeginRun(refusal);
        ASSERT_TRUE(run) << refusal;
        window.Tick(2);
    }
    const std::string debug = ReadFileBytes(dir / kDebugLogFile);
    const auto ended = debug.find("OnTimer ended\r\n");
    ASSERT_NE(ended, std::string::npos) << debug;
    EXPECT_NE(debug.find("OnTimer ended\r\n", ended + 1), std::string::npos) << debug;
    EXPECT_EQ(debug.find("OnTimer started"), std::string::npos);
}

TEST_F(ArchiveNowTest, WhileAnotherRunHoldsTheDirectoryNeitherButtonNorTickStartsOne) {
    dir.Store("NFS:lab", "Archive", "IncrementMode", "TRUE");
    dir.Store("NFS:lab", "Archive", "Increment", "7");
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());
    std::string refusal;
    // A lock of its own on the lock file stands for another process: flock does not tell them
    // apart.
    const auto otherRun = TakeRunLock(dir.path(), refusal);
    ASSERT_TRUE(otherRun) << refusal;

    wxCommandEvent click(wxEVT_BUTTON, XRCID("IDC_START_ARCHIVE_NOW"));
    wxTEST_DIALOG(window.GetEventHandler()->ProcessEvent(click),
                  ExpectMessage("Another run is in progress in this directory."));
    window.Tick(1);

    EXPECT_EQ(Status(window), "6 studies to be archived");
    EXPECT_EQ(window.Timer1Period(), 7 * 60000);
    EXPECT_TRUE(window.Timer1Running());
    EXPECT_FALSE(std::filesystem::exists(dir / kActivityLogFile));
    EXPECT_NE(ReadFileBytes(dir / kDebugLogFile)
                  .find("Scheduled archive skipped: another run is in progress in this directory"),
              std::string::npos);
}

// A study list that cannot be read is no run of nothing: neither Start Archive Now nor the
// schedule reports "0 studies archived" over a database it could not read.
TEST_F(ArchiveNowTest, AStudyListThatCannotBeReadStartsNoRun) {
    dir.Store("NFS:lab", "Archive", "IncrementMode", "TRUE");
    for (const bool byButton : {true, false}) {
        SCOPED_TRACE(byButton ? "Start Archive Now" : "schedule");
        std::filesystem::remove_all(dir / kActivityLogFile);
        CArchiverDlg window(dir.Hive());
        ASSERT_TRUE(window.Initialise());
        std::filesystem::remove_all(dir / "echo.db");
        std::filesystem::create_directory(dir / "echo.db");
        const std::string notStarted = std::string("Archive not started: ") + kSelectionFailed;
        if (byButton) {
            wxCommandEvent click(wxEVT_BUTTON, XRCID("IDC_START_ARCHIVE_NOW"));
            wxTEST_DIALOG(window.GetEventHandler()->ProcessEvent(click),
                          ExpectMessage(AsSentence(notStarted)));
        } else {
            window.Tick(1);  // nobody waits for the schedule: no box may open
        }
        const std::string activity = ReadFileBytes(dir / kActivityLogFile);
        EXPECT_NE(activity.find(notStarted), std::string::npos) << activity;
        EXPECT_EQ(activity.find("Archive started"), std::string::npos) << activity;
        EXPECT_EQ(Status(window), kStudyCountUnknown);
        EXPECT_EQ(g_pProgressDlg, nullptr);
        EXPECT_TRUE(window.Timer1Running());
        std::filesystem::remove(dir / "echo.db");
    }
}

// Closing the window mid-run would only hide it while the run went on behind its progress
// window; the close is refused and the window says why.
TEST_F(ArchiveNowTest, TheWindowDoesNotCloseDuringARun) {
    CArchiverDlg window(dir.Hive());
    ASSERT_TRUE(window.Initialise());
    std::string refusal;
    const auto run = window.Core().BeginRun(refusal);
    ASSERT_TRUE(run) << refusal;
    EXPECT_FALSE(window.Close());
    EXPECT_EQ(XRCCTRL(window, "IDC_ARCHIVE_NOTE", wxStaticText)->GetLabel(), kCloseAfterRun);
}

}  // namespace

namespace {

TEST(WindowOperator, LabelPromptIsTheEnterLabelDialog) {
    WxOperator op;
    ActInNextDialog typeLabel([](wxDialog& dialog) {
        EXPECT_EQ(TextOf(dialog, "IDC_LABEL"), "DVD3");
        Type(dialog, "IDC_LABEL", "DVD7");
        Press(dialog, wxID_OK);
    });
    EXPECT_EQ(op.AskMediaLabel("DVD3"), "DVD7");

    ActInNextDialog cancel([](wxDialog& dialog) { Press(dialog, wxID_CANCEL); });
    EXPECT_EQ(op.AskMediaLabel("DVD3"), std::nullopt);
}

}  // namespace

}  // namespace mirabel
