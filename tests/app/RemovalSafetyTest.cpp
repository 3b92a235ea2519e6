// Study removal through the built program, as a crashing machine and a hostile neighbour would
// meet it: kill -9 at any moment, a database that cannot be written, a file that cannot be
// removed, a list that names files the archive never copied.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/ProgramRun.h"
#include "catalog/RemovalJournal.h"
#include "config/ArchiveDestination.h"
#include "config/ArchiveListFile.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/ProgramDirectory.h"
#include "fixtures/RemovalSetup.h"

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
            // A probe a kill left behind is no file of the study.
            for (const auto& entry : fs::directory_iterator(setup.FolderOf(id)))
                left += entry.path().filename() != "keep" &&
                                !entry.path().filename().string().starts_with(".mirabel-probe-")
                            ? 1
                            : 0;
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

// The studies as they were before any pass: their files back from their copies, their rows
// "Image Server", no catalog.
void RestoreStudies(RemovalSetup& setup, int count) {
    for (int id = 1; id <= count; ++id) {
        for (const auto& entry : fs::directory_iterator(setup.FolderOf(id))) fs::remove(entry);
        fs::copy(setup.CopyOf(id), setup.FolderOf(id));
    }
    RunSqlite(setup.Database(), {"UPDATE EXAM SET \"Media Type\" = 'Image Server'"});
    for (const char* suffix : {"", "-wal", "-shm"})
        fs::remove(setup.Work() / (std::string(kCatalogFile) + suffix));
}

// Killed at the Nth call of each system call that removes a file, renames it or writes and
// flushes a database (the image database or the catalog), for every N the pass reaches: the
// next pass, which only finishes what the journal holds, leaves every study whole or gone.
TEST_F(RemovalProgram, KilledAtAnyFileOrDatabaseCallTheNextPassLeavesEveryStudyWholeOrGone) {
    constexpr int kStudies = 3, kFiles = 2;
    AddStudies(kStudies, kFiles);
    ASSERT_EQ(std::system("strace -V >/dev/null 2>&1"), 0) << "strace is needed (scripts/setup)";
    // SQLite flushes with fdatasync and writes with pwrite64 (a hundred and more a pass: every
    // fifth). Removals run on several threads, and strace counts each thread's calls.
    const struct {
        const char* call;
        int stride;
    } calls[] = {{"renameat2", 1}, {"unlinkat", 1}, {"fdatasync", 1}, {"pwrite64", 5}};
    for (const auto [call, stride] : calls) {
        for (int nth = 1;; nth += stride) {
            RestoreStudies(setup, kStudies);
            SelectEverything(true);
            const std::string when = std::string(call) + " #" + std::to_string(nth);
            const ProgramOutcome killed = RunProgram(
                "--remove-now", "strace -f -qq -o /dev/null -e inject=" + std::string(call) +
                                    ":signal=KILL:when=" + std::to_string(nth));
            SelectEverything(false);
            const ProgramOutcome rerun = RunProgram("--remove-now");
            EXPECT_EQ(rerun.status, 0) << when << "\n" << rerun.output;
            ExpectWholeOrGone(kStudies, kFiles, "killed at " + when);
            if (killed.status == 0) break;  // the pass made fewer such calls: all points done
            ASSERT_LT(nth, 400) << when;
        }
    }
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

// One run over studies each with something planted in its way: only the clean one goes, and
// nothing outside the image store is touched.
TEST_F(RemovalProgram, PlantedLinksFifosAndBadValuesLeaveTheirStudiesWhole) {
    constexpr int kStudies = 8, kFiles = 2;
    AddStudies(kStudies, kFiles);
    const fs::path outside = dir / "outside";
    fs::create_directories(outside);
    WriteFileBytes(outside / "IMG0.DCM", "x");
    fs::permissions(outside / "IMG0.DCM", fs::perms::owner_read);
    const auto value = [&](int id, const std::string& text) {
        RunSqlite(setup.Database(), {"UPDATE EXAM SET ARCHIVE_PATH = '" + text +
                                     "' WHERE EXAM_ID = " + std::to_string(id)});
    };
    // 1 is the clean one.
    fs::remove(setup.FolderOf(2) / "IMG0.DCM");  // a listed file that is a FIFO
    ASSERT_EQ(mkfifo((setup.FolderOf(2) / "IMG0.DCM").c_str(), 0600), 0);
    fs::remove(setup.FolderOf(3) / "IMG0.DCM");  // a listed file that is a link outside
    fs::create_symlink(outside / "IMG0.DCM", setup.FolderOf(3) / "IMG0.DCM");
    fs::remove(setup.CopyOf(4) / "IMG1.DCM");  // a copy file that is a FIFO
    ASSERT_EQ(mkfifo((setup.CopyOf(4) / "IMG1.DCM").c_str(), 0600), 0);
    fs::remove_all(setup.CopyOf(5));  // a copy folder that is a link to the study itself
    fs::create_directory_symlink(setup.FolderOf(5), setup.CopyOf(5));
    value(6, "NFS:ARCH:" + (setup.ImageRoot() / "2004" / ".." / "2004" / "ST6").string() + "/");
    value(7, "   ");                                            // blank: not archived
    value(8, "NFS:ARCHIVE:" + setup.CopyOf(8).string() + "/");  // no such destination

    const ProgramOutcome run = RunProgram("--remove-now");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_EQ(setup.MediaType(1), "Archive");
    for (int id = 2; id <= kStudies; ++id) {
        EXPECT_EQ(setup.MediaType(id), "Image Server") << id;
        EXPECT_TRUE(fs::exists(fs::symlink_status(setup.FolderOf(id) / "IMG1.DCM"))) << id;
        EXPECT_TRUE(fs::exists(setup.FolderOf(id) / "cv.dir")) << id;
    }
    EXPECT_EQ(ReadFileBytes(outside / "IMG0.DCM"), "x");
    EXPECT_EQ(fs::status(outside / "IMG0.DCM").permissions() & fs::perms::all,
              fs::perms::owner_read);
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
