// "mirabel --restore" after the real archive run and removal pass: the study folders are as they
// were, and the next removal pass leaves the restored studies alone.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ProgramRun.h"
#include "fixtures/FolderHashes.h"
#include "fixtures/ProgramDirectory.h"
#include "fixtures/RemovalSetup.h"

namespace mirabel {
namespace {

namespace fs = std::filesystem;

TEST(RestoreCommand, ArchivedRemovedAndRestoredStudiesAreAsTheyWereAndHeldFromTheNextPass) {
    ProgramDirectory dir;
    ExamMix mix;
    mix.exams = 3;
    mix.archivedShare = mix.temporaryShare = mix.oldCvsShare = mix.nullImagePathShare = 0;
    const ImageDatabaseContent content = GenerateImageDatabaseContent(mix);
    dir.StoreFolderArchive(content, 2);
    for (const fs::path& folder : dir.StudyFolders())
        WriteFileBytes(folder / "cv.dir", CvDirListing({"IMG1.dcm", "IMG2.dcm"}));
    WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    ASSERT_EQ(RunProgram("--archive-now").status, 0);
    const auto archived = FolderHashes(dir / "images");
    dir.Store("NFS:lab", "Delete", "ByDate", "TRUE");
    dir.Store("NFS:lab", "Delete", "NumbDays", "0");
    dir.Store("NFS:lab", "Delete", "Max Delete Percent", "100");
    const ProgramOutcome removal = RunProgram("--remove-now");
    ASSERT_EQ(removal.status, 0) << removal.output;
    ASSERT_NE(FolderHashes(dir / "images"), archived);

    std::string examIds;
    for (const ExamRow& exam : content.exams) examIds += " " + std::to_string(exam.examId);
    const ProgramOutcome refused = RunProgram("--restore 12a");
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.output.find("--restore needs exam ids, not \"12a\""), std::string::npos);
    // An image database that cannot be written (chattr needs root; CI runs as root): no file
    // comes back whose row would still say "Archive".
    const std::string database = (dir / "echo.db").string();
    if (std::system(("chattr +i " + database + " 2>/dev/null").c_str()) == 0) {
        const auto removed = FolderHashes(dir / "images");
        EXPECT_EQ(RunProgram("--restore" + examIds).status, 1);
        std::system(("chattr -i " + database).c_str());
        EXPECT_EQ(FolderHashes(dir / "images"), removed);
    }
    const ProgramOutcome restore = RunProgram("--restore" + examIds);
    EXPECT_EQ(restore.status, 0) << restore.output;
    EXPECT_NE(restore.output.find("Restored 3 of 3 studies"), std::string::npos) << restore.output;
    EXPECT_EQ(FolderHashes(dir / "images"), archived);

    EXPECT_EQ(RunProgram("--remove-now").status, 0);
    EXPECT_EQ(FolderHashes(dir / "images"), archived);
    // A study that is no longer removed cannot be restored: the run says so in its status.
    EXPECT_EQ(RunProgram("--restore" + examIds).status, 1);
}

}  // namespace
}  // namespace mirabel
