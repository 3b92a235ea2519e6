#include "archive/RunState.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/ProcessState.h"
#include "app/WindowRun.h"
#include "fixtures/ScriptedOperator.h"

namespace mirabel {

namespace {

class RunStateTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetProcessState(); }
    void TearDown() override { ResetProcessState(); }
    ScopedOperator op;
};

TEST_F(RunStateTest, ScopePublishesTheWindowAndPumpsTwiceSoItPaints) {
    {
        ProgressScope scope(WindowRunControl(), false);
        EXPECT_EQ(g_pProgressDlg, &scope.Window());
        EXPECT_EQ(op->pumps, 2);
        EXPECT_EQ(op->openWindows, 1);
        scope.Window().SetStudyProgress(1, 3);
    }
    EXPECT_EQ(g_pProgressDlg, nullptr);
    EXPECT_EQ(op->openWindows, 0);
    ASSERT_EQ(op->progress.size(), 3u);
    EXPECT_EQ(op->progress[1].kind, "study");
    EXPECT_EQ(op->progress[1].current, 1);
    EXPECT_EQ(op->progress[1].total, 3);
    EXPECT_EQ(op->progress[2].kind, "close");
}

TEST_F(RunStateTest, ScopeClosesTheWindowWhenTheOperationThrows) {
    EXPECT_THROW(
        {
            ProgressScope scope(WindowRunControl(), true);
            EXPECT_TRUE(op->progress[0].deleting);
            throw std::runtime_error("database error");
        },
        std::runtime_error);
    EXPECT_EQ(g_pProgressDlg, nullptr);
    EXPECT_EQ(op->openWindows, 0);
}

TEST_F(RunStateTest, ScopeLeavesNoPointerBehindWhenPaintingThrows) {
    op->onPump = [](int) { throw std::runtime_error("window gone"); };
    EXPECT_THROW(ProgressScope scope(WindowRunControl(), false), std::runtime_error);
    EXPECT_EQ(g_pProgressDlg, nullptr);
    EXPECT_EQ(op->openWindows, 0);
}

TEST_F(RunStateTest, OnlyOneOperationAtATime) {
    ProgressScope scope(WindowRunControl(), false);
    EXPECT_THROW(ProgressScope second(WindowRunControl(), true), std::logic_error);
    EXPECT_EQ(g_pProgressDlg, &scope.Window());
    EXPECT_EQ(op->openWindows, 1);
}

TEST_F(RunStateTest, StopFlagSurvivesTheWindowAndIsClearedByTheNextOne) {
    {
        ProgressScope scope(WindowRunControl(), false);
        op->onPump = [](int) { RequestStop(); };  // Cancel pressed between two files
        EXPECT_FALSE(StopRequested());
        PeekAndPump();
        EXPECT_TRUE(StopRequested());
        EXPECT_EQ(g_nStopFlag, 1);
    }
    EXPECT_TRUE(StopRequested());
    op->onPump = nullptr;
    ProgressScope next(WindowRunControl(), false);
    EXPECT_FALSE(StopRequested());
}

TEST_F(RunStateTest, CancelStopsTheOperationWhoseWindowItIsAndNoOther) {
    RunControl own;
    {
        ProgressScope scope(own, false);
        EXPECT_EQ(g_pProgressDlg, nullptr);  // the window's run stays idle
        op->PressCancel();
        EXPECT_TRUE(own.StopRequested());
        EXPECT_FALSE(StopRequested());
        // Another control can open its window meanwhile: each has its own.
        ProgressScope window(WindowRunControl(), false);
        EXPECT_EQ(g_pProgressDlg, &window.Window());
    }
    EXPECT_EQ(own.Progress(), nullptr);
    EXPECT_EQ(g_pProgressDlg, nullptr);
}

TEST_F(RunStateTest, PumpGoesOnQuietlyAfterAQuitRequest) {
    op->quitRequested = true;
    PeekAndPump();
    PeekAndPump();
    EXPECT_EQ(op->pumps, 2);
    EXPECT_TRUE(op->quitRequested);  // kept for the main loop
}

TEST_F(RunStateTest, PumpingWaitEndsEarlyOnCancel) {
    op->onPump = [](int pump) {
        if (pump == 3) RequestStop();
    };
    WaitPumping(WindowRunControl(), std::chrono::hours(1));  // would never end without the stop
    EXPECT_EQ(op->pumps, 3);
}

TEST_F(RunStateTest, PumpingWaitKeepsPumpingUntilTheTimeIsUp) {
    WaitPumping(WindowRunControl(), std::chrono::milliseconds(100));
    EXPECT_GE(op->pumps, 2);
    EXPECT_FALSE(StopRequested());
}

}  // namespace

}  // namespace mirabel
