// The built program without a window, as a scheduler or a script runs it.
#include <gtest/gtest.h>

#include "ProgramRun.h"
#include "fixtures/ProgramDirectory.h"

namespace mirabel {

namespace {

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override { dir.StoreFolderArchive(4, 2); }

    ProgramDirectory dir;
};

TEST_F(CommandLine, ArchiveNowArchivesTheWaitingStudiesOfTheStoredDestination) {
    WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    const ProgramOutcome before = RunProgram("--count");
    EXPECT_EQ(before.status, 0);
    EXPECT_EQ(before.output, "4 studies to be archived\n");

    const ProgramOutcome run = RunProgram("--archive-now");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Transferring 4 of 4 studies"), std::string::npos) << run.output;
    EXPECT_NE(ReadFileBytes(dir / "mirabel.log").find("Archive finished"), std::string::npos);

    const ProgramOutcome after = RunProgram("--count");
    EXPECT_EQ(after.output, "No Studies To Archive!!\n");
}

TEST_F(CommandLine, WithoutADestinationItCannotStartAndSaysWhy) {
    const ProgramOutcome run = RunProgram("--archive-now");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("mirabel: cannot start"), std::string::npos) << run.output;

    const ProgramOutcome unknown = RunProgram("--archive-later");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.output.find("unknown option --archive-later"), std::string::npos);
}

}  // namespace

}  // namespace mirabel
