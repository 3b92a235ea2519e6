// Study removal through the built program, as a crashing machine and a hostile neighbour would
// meet it: kill -9 at any moment, a database that cannot be written, a file that cannot be
// removed, a list that names files the archive never copied.
#include <signal.h>
#include <spawn.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "app/ProgramRun.h"
#include "catalog/RemovalJournal.h"
#include "config/ArchiveDestination.h"
#include "config/ArchiveListFile.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/ProgramDirectory.h"
#include "fixtures/RemovalSetup.h"

extern char** environ;

namespace mirabel {

namespace fs = std::filesystem;

namespace {

// A start directory whose current destination is the removal setup's folder destination, with
// rules that select every archived study.
class RemovalProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(WriteArchiveList(kArchiveListFile));
        WriteFileBytes(dir / "Default.cfg", "NFS:ARCH");
        Store("Database", "Database File", setup.Database().string());
        Store("Database", "Image Path", setup.ImageRoot().string());
        Store("Delete", "Max Delete Percent", "100");  // the rules take every study on purpose
        SelectEverything(true);
    }

    void Store(const char* section, const char* key, const std::string& value) {
        dir.Store("NFS:ARCH", section, key, value);
    }
    // By Date with 0 days selects every archived study; off, a pass only finishes its journal.
    void SelectEverything(bool on) { Store("Delete", "ByDate", on ? "TRUE" : "FALSE"); }

    void AddStudies(int count, int files) {
        RemovalStudy study;
        study.files.clear();
        for (int k = 0; k < files; ++k) study.files["IMG" + std::to_string(k) + ".DCM"] = "x";
        for (int id = 1; id <= count; ++id) {
            study.examId = id;
            setup.Add(study);
        }
    }

    // Whole with its row unchanged, or gone with its row "Archive"; nothing in between.
    void ExpectWholeOrGone(int count, int files, const std::string& when) {
        for (int id = 1; id <= count; ++id) {
            int left = 0;
            for (const auto& entry : fs::directory_iterator(setup.FolderOf(id)))
                left += entry.path().filename() != "keep" ? 1 : 0;
            const auto media = setup.MediaType(id);
            if (left == 0)
                EXPECT_EQ(media, "Archive") << when << ", exam " << id;
            else
                EXPECT_TRUE(left == files + 1 && media == "Image Server")
                    << when << ", exam " << id << ": " << left << " files, " << media.value_or("?");
        }
    }

    ProgramDirectory dir;
    RemovalSetup setup{dir.path()};
};

pid_t Start(const std::string& arguments) {
    const std::string binary = MIRABEL_BINARY;
    std::vector<char*> argv = {const_cast<char*>(binary.c_str()),
                               const_cast<char*>(arguments.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

TEST_F(RemovalProgram, AfterKillNineAtAnyMomentTheNextPassLeavesEveryStudyWholeOrGone) {
    constexpr int kStudies = 40, kFiles = 30;
    AddStudies(kStudies, kFiles);
    for (int delayMs : {15, 30, 45, 60, 80, 100, 130, 160, 200, 250, 320, 400}) {
        const pid_t pass = Start("--remove-now");
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(pass, SIGKILL);
        int status = 0;
        waitpid(pass, &status, 0);
        SelectEverything(false);
        const ProgramOutcome rerun = RunProgram("--remove-now");
        EXPECT_EQ(rerun.status, 0) << rerun.output;
        ExpectWholeOrGone(kStudies, kFiles, "killed after " + std::to_string(delayMs) + " ms");
        SelectEverything(true);
    }
    const ProgramOutcome last = RunProgram("--remove-now");
    EXPECT_EQ(last.status, 0) << last.output;
    for (int id = 1; id <= kStudies; ++id) EXPECT_EQ(setup.MediaType(id), "Archive") << id;
    CatalogDatabase catalog(dir / kCatalogFile);
    EXPECT_TRUE(RemovalJournal(catalog).Pending().empty());
}

// Another program holds the image database's write lock: the pass stops before the first file
// with the reason, and a later pass deletes the study.
TEST_F(RemovalProgram, ADatabaseThatCannotBeWrittenStopsThePassBeforeAnyFile) {
    AddStudies(2, 3);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(setup.Database().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const ProgramOutcome locked = RunProgram("--remove-now");
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(locked.status, 2) << locked.output;
    EXPECT_NE(locked.output.find("mirabel: removal stopped: its row cannot be written"),
              std::string::npos)
        << locked.output;
    ExpectWholeOrGone(2, 3, "locked");
    EXPECT_EQ(setup.MediaType(1), "Image Server");
    const std::string errors = ReadFileBytes(dir / "mirabelerror.log");
    EXPECT_NE(errors.find("Error: Ann Smith 01/17/2004 10:15 - its row cannot be written"),
              std::string::npos)
        << errors;

    EXPECT_EQ(RunProgram("--remove-now").status, 0);
    ExpectWholeOrGone(2, 3, "unlocked");
    EXPECT_EQ(setup.MediaType(2), "Archive");
}

// chattr needs root and a file system that keeps the attribute (CI runs as root).
bool MakeImmutable(const fs::path& path, bool on) {
    if (geteuid() != 0) return false;
    return std::system(
               ("chattr " + std::string(on ? "+i " : "-i ") + path.string() + " 2>/dev/null")
                   .c_str()) == 0;
}

// A database file the account cannot write, and a listed file that cannot be removed: each
// run leaves every study whole (as root, "immutable" stands for what the account may not do).
TEST_F(RemovalProgram, AReadOnlyDatabaseOrAnImmutableFileLeavesTheStudyWhole) {
    AddStudies(2, 3);
    if (!MakeImmutable(setup.Database(), true)) GTEST_SKIP() << "chattr +i needs root";
    for (int run = 0; run < 3; ++run) {
        const ProgramOutcome readOnly = RunProgram("--remove-now");
        EXPECT_EQ(readOnly.status, 2) << readOnly.output;
        ExpectWholeOrGone(2, 3, "read-only database");
    }
    MakeImmutable(setup.Database(), false);
    EXPECT_EQ(setup.MediaType(1), "Image Server");

    ASSERT_TRUE(MakeImmutable(setup.FolderOf(1) / "IMG1.DCM", true));
    const ProgramOutcome immutable = RunProgram("--remove-now");
    MakeImmutable(setup.FolderOf(1) / "IMG1.DCM", false);
    EXPECT_EQ(immutable.status, 1) << immutable.output;
    ExpectWholeOrGone(2, 3, "immutable file");
    EXPECT_EQ(setup.MediaType(1), "Image Server");
    EXPECT_EQ(setup.MediaType(2), "Archive");
    EXPECT_NE(ReadFileBytes(dir / "mirabelerror.log").find("IMG1.DCM"), std::string::npos);
}

// The archive copies the study folder's own files: a study whose list names a file in a
// sub-folder is archived for real, and then never removed.
TEST_F(RemovalProgram, AStudyListingFilesInSubFoldersIsNeverRemoved) {
    RemovalStudy study;
    study.examId = 1;
    study.archiveValue = std::nullopt;
    study.cvDir = CvDirListing({"IMG1.dcm", "sub\\X.DCM"});
    const fs::path folder = setup.Add(study);
    fs::create_directory(folder / "sub");
    WriteFileBytes(folder / "sub" / "X.DCM", "only here");
    Store("Archive", "DBField", "ARCHIVE_PATH");
    fs::create_directories(setup.ArchiveRoot());
    const ProgramOutcome archived = RunProgram("--archive-now");
    ASSERT_EQ(archived.status, 0) << archived.output;

    const ProgramOutcome removal = RunProgram("--remove-now");
    EXPECT_EQ(removal.status, 1) << removal.output;
    EXPECT_EQ(ReadFileBytes(folder / "sub" / "X.DCM"), "only here");
    EXPECT_TRUE(fs::exists(folder / "IMG1.dcm"));
    EXPECT_EQ(setup.MediaType(1), "Image Server");
    EXPECT_NE(ReadFileBytes(dir / "mirabelerror.log").find("names a file in a sub-folder"),
              std::string::npos);
}

}  // namespace

}  // namespace mirabel
