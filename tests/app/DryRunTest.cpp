// "--dry-run" through the built program: it leaves the start directory, the image database and
// the store as they were, and the studies it lists are the ones the real run then takes; the
// real runs then land in the run history; the status report's removal figures of the same store.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/ProgramRun.h"
#include "archive/RunLock.h"
#include "catalog/RunHistory.h"
#include "config/ArchiveListFile.h"
#include "fixtures/FolderHashes.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/ProgramDirectory.h"
#include "fixtures/RemovalSetup.h"
#include "log/Logs.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

// Exams 1 and 2 archived with whole copies, exam 3 archived with a copy that lacks a file
// (removal keeps it); exam 4 waits with its folder, exam 5 waits without one (archive fails it).
class DryRunProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("MIRABEL_RETRY_PAUSE_MS", "0", 1);  // exam 5 fails three times at once
        ASSERT_TRUE(WriteArchiveList(kArchiveListFile));
        WriteFileBytes(dir / "Default.cfg", "NFS:ARCH");
        Store("Database", "Database File", setup.Database().string());
        Store("Database", "Image Path", setup.ImageRoot().string());
        Store("Delete", "ByDate", "TRUE");  // 0 days: every archived study
        Store("Delete", "Max Delete Percent", "100");
        RemovalStudy study;
        study.files = {{"IMG1.dcm", std::string(1000, 'a')}, {"IMG2.dcm", std::string(3000, 'b')}};
        for (long id : {1, 2, 3}) {
            study.examId = id;
            setup.Add(study);
        }
        fs::remove(setup.CopyOf(3) / "IMG2.dcm");
        study.archiveValue = std::nullopt;
        study.examId = 4;
        setup.Add(study);
        study.examId = 5;
        study.withFolder = false;
        setup.Add(study);
    }

    void TearDown() override { ::unsetenv("MIRABEL_RETRY_PAUSE_MS"); }

    void Store(const char* section, const char* key, const std::string& value) {
        dir.Store("NFS:ARCH", section, key, value);
    }

    // Every file of the start directory (image database, image store, copies, hive, logs)
    // but the debug log, which gets the dry run's one line.
    std::map<std::string, std::string> Everything() const {
        auto hashes = FolderHashes(dir.path());
        hashes.erase(kDebugLogFile);
        return hashes;
    }

    ProgramDirectory dir;
    RemovalSetup setup{dir.path()};
};

void ExpectLines(const std::string& output, std::initializer_list<const char*> lines) {
    for (const char* line : lines) EXPECT_NE(output.find(line), std::string::npos) << line;
}

TEST_F(DryRunProgram, ChangesNothingAndListsWhatTheRunsThenDo) {
    const auto before = Everything();
    const ProgramOutcome removal = RunProgram("--remove-now --dry-run");
    const ProgramOutcome archive = RunProgram("--archive-now --dry-run --metrics-file m.prom");
    EXPECT_EQ(Everything(), before);
    EXPECT_EQ(setup.Debug().size(), 2u);

    // Each selected study with its rule, evidence or reason, and bytes (two files and cv.dir).
    const std::string cvDir = std::to_string(fs::file_size(setup.FolderOf(1) / "cv.dir"));
    EXPECT_EQ(removal.status, 1) << removal.output;
    ExpectLines(
        removal.output,
        {"Dry run: nothing was changed.", "  exam 1  Ann Smith", "  exam 2  Ann Smith",
         ("    would be removed: 3 files, " + std::to_string(4000 + std::stoi(cvDir))).c_str(),
         "the copy was not probed for being the study folder itself", "  exam 3  Ann Smith",
         "IMG2.dcm", "2 of 3 studies would be removed"});
    EXPECT_EQ(archive.status, 1) << archive.output;
    ExpectLines(
        archive.output,
        {"Destination: NFS:ARCH", "Studies the run would take: 2 of 2 waiting",
         "  exam 4  Ann Smith", "    3 files, ", "      IMG1.dcm  1000", "      IMG2.dcm  3000",
         "  exam 5  Ann Smith", "    would fail: ", "1 studies would be archived: 3 files, "});

    // The real runs take exactly those studies.
    EXPECT_EQ(RunProgram("--remove-now").status, 1);
    EXPECT_EQ(setup.MediaType(1), "Archive");
    EXPECT_EQ(setup.MediaType(2), "Archive");
    EXPECT_EQ(setup.MediaType(3), "Image Server");
    EXPECT_EQ(RunProgram("--archive-now").status, 1);
    EXPECT_TRUE(fs::exists(setup.CopyOf(4) / "IMG2.dcm"));
    EXPECT_FALSE(fs::exists(setup.CopyOf(5)));

    // With a catalog there now (copies, register, run history), it is read and left as it was.
    const auto withCatalog = Everything();
    ASSERT_TRUE(withCatalog.count(kCatalogFile));
    EXPECT_EQ(RunProgram("--remove-now --dry-run").status, 1);
    EXPECT_EQ(Everything(), withCatalog);
}

TEST_F(DryRunProgram, BesideARunInProgressItCannotStartAsTheRunCouldNot) {
    const ExclusiveFileLock run(dir / kRunLockFile);
    ASSERT_TRUE(run.locked());
    for (const char* command : {"--archive-now --dry-run", "--remove-now --dry-run"}) {
        const ProgramOutcome dry = RunProgram(command);
        EXPECT_EQ(dry.status, 2) << command;
        EXPECT_NE(dry.output.find(kAnotherRunInProgress), std::string::npos) << dry.output;
    }
}

TEST_F(DryRunProgram, ItPointsToTheReasonItPrintsNotToALogItDoesNotWrite) {
    Store("Database", "Database File", (dir / "missing.mdb").string());
    for (const char* command : {"--archive-now --dry-run", "--remove-now --dry-run"}) {
        const ProgramOutcome dry = RunProgram(command);
        EXPECT_EQ(dry.status, 2) << command;
        EXPECT_EQ(dry.output.find(kErrorLogFile), std::string::npos) << dry.output;
        ExpectLines(dry.output, {"mirabel: the run would log: ", "missing.mdb",
                                 "(see the lines the run would log, above)"});
    }
    EXPECT_FALSE(fs::exists(dir / kErrorLogFile));
}

TEST_F(DryRunProgram, RemovalAndAuditRunsAreRecordedInTheRunHistory) {
    ASSERT_EQ(RunProgram("--remove-now").status, 1);
    ASSERT_EQ(RunProgram("--archive-now").status, 1);
    ASSERT_EQ(RunProgram("--verify").status, 0);

    CatalogDatabase catalog;
    RunHistory history(catalog);
    const std::uint64_t listed = 4000 + fs::file_size(setup.FolderOf(3) / "cv.dir");
    const auto removals = history.Last(kRunRemoval, 5);
    ASSERT_EQ(removals.size(), 1u);
    EXPECT_EQ(removals[0].destination, "NFS:ARCH");
    EXPECT_EQ(removals[0].done, 2);
    EXPECT_EQ(removals[0].failed, 1);
    EXPECT_EQ(removals[0].bytes, 2 * listed);
    EXPECT_EQ(removals[0].exitStatus, 1);
    ASSERT_EQ(history.FailuresOf(removals[0].id).size(), 1u);
    EXPECT_EQ(history.FailuresOf(removals[0].id)[0].examId, "3");

    // The audit reads back the one copy the catalog knows: exam 4's files and its manifest.
    const auto audits = history.Last(kRunAudit, 5);
    ASSERT_EQ(audits.size(), 1u);
    EXPECT_EQ(audits[0].done, 1);
    EXPECT_EQ(audits[0].failed, 0);
    EXPECT_EQ(audits[0].bytes, listed + fs::file_size(setup.CopyOf(4) / "exam.ver"));
    EXPECT_EQ(audits[0].exitStatus, 0);
}

TEST_F(DryRunProgram, TheReportsRemovalFiguresAreThoseOfTheStore) {
    RemovalStudy gone;  // its destination left archives.p
    gone.examId = 6;
    gone.files = {{"IMG1.dcm", std::string(1000, 'a')}, {"IMG2.dcm", std::string(3000, 'b')}};
    gone.archiveValue = "NFS:GONE:/nowhere/";
    setup.Add(gone);
    Store("Delete", "BySize", "TRUE");
    Store("Delete", "NumbGBytes", "0.5");
    const ProgramOutcome report = RunProgram("--report --json");
    ASSERT_EQ(report.status, 0) << report.output;

    const nlohmann::json removal = nlohmann::json::parse(report.output)["removal"];
    const std::uint64_t listed = 4000 + fs::file_size(setup.FolderOf(1) / "cv.dir");
    const fs::space_info space = fs::space(setup.ImageRoot());
    EXPECT_EQ(removal["unknown_because"], nullptr);
    EXPECT_EQ(removal["candidates"], 4);
    EXPECT_EQ(removal["selected"], 4);
    EXPECT_EQ(removal["selected_bytes"], 4 * listed);
    EXPECT_EQ(removal["store_total_bytes"], space.capacity);
    // Other programs write to the same file system meanwhile.
    EXPECT_NEAR(removal["store_free_bytes"].get<double>(), static_cast<double>(space.available),
                64.0 * 1024 * 1024);
    EXPECT_EQ(removal["size_goal_bytes"], 512u * 1024 * 1024);
    const nlohmann::json unremovable = nlohmann::json::parse(report.output)["unremovable"];
    ASSERT_EQ(unremovable.size(), 1u);
    EXPECT_EQ(unremovable[0]["exam_id"], "6");
}

}  // namespace

}  // namespace mirabel
