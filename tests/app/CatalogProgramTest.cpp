// The catalog through the built program: an archive run records every copied file's SHA-256
// before the study's row, writes a manifest sha256sum checks, and `--verify` reads the copies back
// against it; killed at any point, a run never leaves a row without its catalog record.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "ProgramRun.h"
#include "catalog/CopyCatalog.h"
#include "fixtures/ProgramDirectory.h"
#include "fixtures/ToolRun.h"

namespace mirabel {
namespace {

namespace fs = std::filesystem;

class CatalogProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.StoreFolderArchive(4, 2);
        WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    }

    // The exams whose row names a copy, and those the catalog records.
    std::set<std::string> ArchivedRows() const {
        const ToolRun rows = RunTool("sqlite3 '" + (dir / "echo.db").string() +
                                     "' \"SELECT EXAM_ID FROM EXAM WHERE IFNULL(ARCHIVE_PATH, '') "
                                     "<> ''\"");
        std::set<std::string> exams;
        std::size_t start = 0;
        for (std::size_t end; (end = rows.output.find('\n', start)) != std::string::npos;
             start = end + 1)
            exams.insert(rows.output.substr(start, end - start));
        return exams;
    }
    std::set<std::string> CatalogedExams() const {
        std::set<std::string> exams;
        if (!fs::exists(dir / kCatalogFile)) return exams;
        CatalogDatabase catalog(dir / kCatalogFile);
        CopyCatalog(catalog).EachToAudit({}, [&](CatalogCopy copy) {
            exams.insert(copy.examId);
            return true;
        });
        return exams;
    }

    ProgramDirectory dir;
};

TEST_F(CatalogProgram, ARunRecordsEveryFileAndVerifyFindsAFlippedByte) {
    ASSERT_EQ(RunProgram("--archive-now").status, 0);
    EXPECT_EQ(CatalogedExams(), ArchivedRows());
    EXPECT_EQ(CatalogedExams().size(), 4u);
    // The manifests beside the copies are checked by sha256sum itself.
    const ToolRun check = RunTool("cd '" + (dir / "archive").string() +
                                  "' && find manifests -name '*.sha256' -exec sha256sum --strict "
                                  "--quiet -c {} + && find manifests -name '*.sha256' | wc -l");
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_EQ(check.output, "4\n");

    const ProgramOutcome verified = RunProgram("--verify");
    EXPECT_EQ(verified.status, 0) << verified.output;
    EXPECT_NE(verified.output.find("Verified 4, damaged 0, not checked 0"), std::string::npos);

    // One byte of one copied image, same size.
    fs::path image;
    for (const auto& entry : fs::recursive_directory_iterator(dir / "archive" / "images"))
        if (entry.is_regular_file() && entry.path().filename() != "exam.ver") image = entry.path();
    std::string bytes = ReadFileBytes(image);
    bytes[bytes.size() / 2] ^= 1;
    WriteFileBytes(image, bytes);
    const ProgramOutcome damaged = RunProgram("--verify");
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(ReadFileBytes(dir / "mirabelerror.log")
                  .find(image.filename().string() + ": its bytes differ"),
              std::string::npos);

    // Repaired from the original, which is still local, and verified again.
    const ProgramOutcome repaired = RunProgram("--verify --repair");
    EXPECT_EQ(repaired.status, 0) << repaired.output;
    EXPECT_NE(repaired.output.find("Repaired 1, not repaired 0"), std::string::npos);
    bytes[bytes.size() / 2] ^= 1;
    EXPECT_EQ(ReadFileBytes(image), bytes);
    EXPECT_EQ(RunProgram("--verify").status, 0);
}

// A lost catalog is rebuilt from the destinations: --adopt reads the manifests beside the copies
// and records a copy only when its files, the manifest and the original agree.
TEST_F(CatalogProgram, ALostCatalogIsAdoptedBackFromTheManifests) {
    ASSERT_EQ(RunProgram("--archive-now").status, 0);
    for (const char* name :
         {"mirabel-catalog.db", "mirabel-catalog.db-wal", "mirabel-catalog.db-shm"})
        fs::remove(dir / name);
    const ProgramOutcome adopted = RunProgram("--verify --adopt");
    EXPECT_EQ(adopted.status, 0) << adopted.output;
    EXPECT_NE(adopted.output.find("Adopted 4, already in the catalog 0"), std::string::npos)
        << adopted.output;
    EXPECT_EQ(CatalogedExams(), ArchivedRows());
    EXPECT_NE(RunProgram("--verify").output.find("Verified 4, damaged 0"), std::string::npos);
    EXPECT_NE(RunProgram("--verify --adopt").output.find("already in the catalog 4"),
              std::string::npos);
}

// Killed at every file rename of a run (a copy put in place) and at the catalog's and the image
// database's flushes, then run again: at every kill point each row that names a copy has its
// catalog record.
TEST_F(CatalogProgram, KilledAnywhereARunNeverLeavesARowWithoutItsCatalogRecord) {
    ASSERT_EQ(std::system("strace -V >/dev/null 2>&1"), 0) << "strace is needed (scripts/setup)";
    for (const char* call : {"rename", "fdatasync", "fsync"}) {
        for (int n = 1; n <= 12; n += 3) {
            RunProgram("--archive-now",
                       "strace -f -qq -o /dev/null -e inject=" + std::string(call) +
                           ":signal=KILL:when=" + std::to_string(n));
            const std::set<std::string> rows = ArchivedRows();
            const std::set<std::string> cataloged = CatalogedExams();
            for (const std::string& exam : rows)
                EXPECT_TRUE(cataloged.count(exam)) << call << " #" << n << ": exam " << exam;
        }
    }
    EXPECT_EQ(RunProgram("--archive-now").status, 0);
    EXPECT_EQ(CatalogedExams(), ArchivedRows());
    EXPECT_EQ(RunProgram("--verify").status, 0);
}

// Asked to end (systemd stopping the unit, Ctrl-C) while its first file is put in place, a run
// stops as Cancel stops it: it says why, and what it recorded is whole; the next run does the rest.
TEST_F(CatalogProgram, ARequestToEndStopsTheRunAsCancelDoes) {
    ASSERT_EQ(std::system("strace -V >/dev/null 2>&1"), 0) << "strace is needed (scripts/setup)";
    const ProgramOutcome stopped = RunProgram(
        "--archive-now", "strace -f -qq -o /dev/null -e inject=rename:signal=TERM:when=1");
    EXPECT_EQ(stopped.status, 1) << stopped.output;
    EXPECT_LT(ArchivedRows().size(), 4u);
    EXPECT_EQ(CatalogedExams(), ArchivedRows());
    EXPECT_NE(ReadFileBytes(dir / "mirabel.log").find("the program was asked to end"),
              std::string::npos)
        << stopped.output;
    EXPECT_EQ(RunProgram("--archive-now").status, 0);
    EXPECT_EQ(RunProgram("--verify").status, 0);
}

}  // namespace
}  // namespace mirabel
