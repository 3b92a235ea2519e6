// Archive runs over the study list, with a scripted operator and real folders and databases.
#include "app/WindowRun.h"
#include "archive/ArchiveRun.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "archive/RunState.h"
#include "dicomdir/DicomDirWriter.h"
#include "fixtures/DicomDirOutline.h"
#include "fixtures/DicomFiles.h"
#include "fixtures/TransferSetup.h"
#include "platform/FreeSpace.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

// Sets MIRABEL_RETRY_PAUSE_MS for a test's lifetime.
class ScopedRetryPause {
  public:
    explicit ScopedRetryPause(const char* ms) { ::setenv("MIRABEL_RETRY_PAUSE_MS", ms, 1); }
    ~ScopedRetryPause() { ::unsetenv("MIRABEL_RETRY_PAUSE_MS"); }
};

class ArchiveRun : public ::testing::Test {
  protected:
    // Adds a study to g_StudyList; with files it gets a study folder.
    StudyRecord& AddStudy(const std::string& imagePath, bool withFolder = true) {
        if (withFolder) setup.MakeStudy(imagePath, {{"im1", "1"}, {"im2", "22"}});
        g_StudyList.push_back(std::make_unique<StudyRecord>(TransferSetup::Study(imagePath)));
        return *g_StudyList.back();
    }
    ArchiveDestination& Select(ArchiveDestination destination) {
        g_Archives.push_back(std::make_unique<ArchiveDestination>(std::move(destination)));
        g_pCurrentArchive = g_Archives.back().get();
        return *g_pCurrentArchive;
    }
    fs::path Medium(const std::string& label) {
        fs::create_directories(setup.Work() / "medium");
        WriteFileBytes(setup.Work() / "medium/cvlabel.txt", label);
        return setup.Work() / "medium";
    }
    std::vector<int> ArchivedFlags() const {
        std::vector<int> flags;
        for (const auto& study : g_StudyList) flags.push_back(study->m_bArchived);
        return flags;
    }

    TransferSetup setup;
    ScopedRetryPause quickRetries{"10"};
};

TEST_F(ArchiveRun, WithoutADestinationNothingStarts) {
    AddStudy("\\A");
    RunArchive(WindowRunContext(), setup.config);
    EXPECT_EQ(setup.op->MessageTexts(), std::vector<std::string>{kNoDestinationSelected});
    EXPECT_TRUE(setup.op->progress.empty());
    EXPECT_TRUE(setup.Activity().empty());
}

TEST_F(ArchiveRun, AnEmptyRunToAMediumStillPreparesAndReleasesIt) {
    ArchiveDestination& medium = Select(TransferSetup::MediumDestination(Medium("DVD3")));
    medium.m_strCurrentLabel = "DVD3";
    RunArchive(WindowRunContext(), setup.config);
    EXPECT_EQ(setup.op->MessageTexts(),
              (std::vector<std::string>{
                  "Please prepare media for writing if it has not already been prepared",
                  "Finished copying studies to DVD!\nPlease remove DVD and label as DVD3!"}));
    const std::vector<std::string> milestones{"Archive started", "Archive finished"};
    EXPECT_EQ(setup.Activity(), milestones);
    EXPECT_EQ(setup.Debug(), milestones);
    EXPECT_EQ(setup.op->progress.front().kind, "open");
    EXPECT_EQ(setup.op->progress.back().kind, "close");
    EXPECT_EQ(g_pProgressDlg, nullptr);
}

TEST_F(ArchiveRun, TheMaximumCountLimitsTheStudiesAttempted) {
    Select(TransferSetup::FolderDestination(setup.Work() / "arch"));
    fs::create_directory(setup.Work() / "arch");
    for (const char* path : {"\\A", "\\B", "\\C", "\\D", "\\E"}) AddStudy(path);
    setup.config.m_bMaxStudies = true;
    setup.config.m_nMaxStudies = 3;
    RunArchive(WindowRunContext(), setup.config);
    EXPECT_EQ(ArchivedFlags(), (std::vector<int>{1, 1, 1, 0, 0}));
    const auto studies = setup.op->ProgressOf("study");
    ASSERT_EQ(studies.size(), 3u);
    EXPECT_EQ(studies[2].current, 3);
    EXPECT_EQ(studies[2].total, 3);
    EXPECT_FALSE(fs::exists(setup.Work() / "arch/images/D"));
    EXPECT_EQ(setup.Activity().back(), "Archive finished");
}

TEST_F(ArchiveRun, AFailingStudyIsTriedThreeTimesAndTheRunGoesOn) {
    Select(TransferSetup::FolderDestination(setup.Work()));
    AddStudy("\\MISSING", false);
    AddStudy("\\LATE", false);
    AddStudy("\\OK");
    // The second study's folder appears while the run waits to try it again.
    setup.op->onPump = [&](int) {
        if (setup.Errors().size() == 4 && !fs::exists(setup.ImageRoot() / "LATE"))
            setup.MakeStudy("\\LATE", {{"im", "x"}});
    };
    RunArchive(WindowRunContext(), setup.config);
    EXPECT_EQ(ArchivedFlags(), (std::vector<int>{0, 1, 1}));
    const std::string missing =
        "Failure archiving study for Ann Smith on 01/17/2004 - study directory does not exist";
    EXPECT_EQ(setup.Errors(), std::vector<std::string>(4, missing));
    EXPECT_EQ(setup.Activity().back(), "Archive finished");
}

TEST_F(ArchiveRun, CancelEndsTheRunWithoutRetryOrFinish) {
    Select(TransferSetup::FolderDestination(setup.Work()));
    AddStudy("\\A");
    AddStudy("\\B");
    setup.op->onPump = [](int pump) {
        if (pump == 3) RequestStop();  // two pumps paint the window, the third follows a file
    };
    RunArchive(WindowRunContext(), setup.config);
    EXPECT_EQ(ArchivedFlags(), (std::vector<int>{0, 0}));
    EXPECT_EQ(setup.Activity(),
              (std::vector<std::string>{"Archive started", "Archive stopped by user"}));
    EXPECT_FALSE(fs::exists(setup.Work() / "images/B"));
    EXPECT_EQ(g_pProgressDlg, nullptr);
}

TEST_F(ArchiveRun, CancelDuringTheRetryPauseEndsTheRun) {
    ScopedRetryPause longPause("600000");
    Select(TransferSetup::FolderDestination(setup.Work()));
    AddStudy("\\MISSING", false);
    AddStudy("\\B");
    setup.op->onPump = [](int pump) {
        if (pump == 5) RequestStop();
    };
    RunArchive(WindowRunContext(), setup.config);
    EXPECT_EQ(ArchivedFlags(), (std::vector<int>{0, 0}));
    EXPECT_EQ(setup.Errors().size(), 1u);
    EXPECT_EQ(setup.Activity().back(), "Archive stopped by user");
    // The wait is shown, with why the study failed, and taken away when it ends.
    ASSERT_EQ(setup.op->waitTexts.size(), 2u);
    EXPECT_EQ(setup.op->waitTexts[0],
              "Waiting to retry Ann Smith 01/17/2004 (attempt 2 of 3) in 10:00\nThe folder of "
              "Ann Smith 01/17/2004 is gone.");
    EXPECT_EQ(setup.op->waitTexts[1], "");
}

TEST_F(ArchiveRun, AFullMediumEndsTheRunAndAsksForItsLabel) {
    Select(TransferSetup::MediumDestination(Medium("MO0042"), "MO", "1"));
    setup.MakeStudy("\\A", {{"im", std::string(1000, 'a')}});
    AddStudy("\\A", false);
    MakeSparseFile(setup.MakeStudy("\\BIG", {}) / "im", 2 * 1048576);
    AddStudy("\\BIG", false);
    AddStudy("\\C");
    RunArchive(WindowRunContext(), setup.config);
    EXPECT_EQ(ArchivedFlags(), (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(setup.op->MessageTexts().back(),
              "Finished copying studies to MO!\nPlease remove MO and label as MO0042!");
    EXPECT_FALSE(fs::exists(setup.Work() / "medium/images/C"));
    EXPECT_EQ(setup.Activity(), std::vector<std::string>{"Archive started"});
}

TEST_F(ArchiveRun, AFullFolderDestinationIsReported) {
    Select(TransferSetup::FolderDestination(setup.Work() / "arch"));
    fs::create_directory(setup.Work() / "arch");
    // Fits the free space, but not with the 10 MB kept free.
    MakeSparseFile(setup.MakeStudy("\\BIG", {}) / "im",
                   FreeBytesAvailable(setup.Work() / "arch").value() - 1048576);
    AddStudy("\\BIG", false);
    RunArchive(WindowRunContext(), setup.config);
    // A scheduled run logs it without a box that would hold the schedule.
    WindowRunControl().SetUnattended(true);
    RunArchive(WindowRunContext(), setup.config);
    WindowRunControl().SetUnattended(false);
    const std::string full = "Error: NFS server does not have enough space to complete archive";
    EXPECT_EQ(setup.op->MessageTexts(), std::vector<std::string>{full});
    EXPECT_EQ(setup.Activity(),
              (std::vector<std::string>{"Archive started", full, "Archive started", full}));
}

TEST_F(ArchiveRun, AMediumsDicomDirIsReadOnceAndCompleteAfterEveryStudy) {
    ArchiveDestination& medium = Select(TransferSetup::MediumDestination(Medium("DVD3")));
    medium.m_strDicomDir = kSaveDicomDir;
    for (const std::string n : {"1", "2", "3"}) {
        WriteDicomStudy(setup.MakeStudy("\\S" + n, {}), "P^" + n, "P" + n, TestUid(n), 1, 2);
        AddStudy("\\S" + n, false);
    }
    RunArchive(WindowRunContext(), setup.config);
    EXPECT_EQ(ArchivedFlags(), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(DicomDirOutline(setup.Work() / "medium/DICOMDIR").size(), 3u * 5);
    const std::string log = ReadFileBytes(setup.Work() / kDicomDirLogFile);
    const auto count = [&](const std::string& text) {
        std::size_t n = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("open DICOMDIR"), 1u) << log;
    EXPECT_EQ(count("write DICOMDIR RC= 0x0000 (0)"), 3u) << log;
}

}  // namespace

}  // namespace mirabel
