// The built program without a window, as a scheduler or a script runs it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "fixtures/ProgramDirectory.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string output;
};

// The program ends within the timeout or counts as hung (status 124). A failed study is
// retried at once.
Outcome RunProgram(const std::string& arguments) {
    Outcome outcome;
    const std::string command = "MIRABEL_RETRY_PAUSE_MS=0 timeout 120 " +
                                std::string(MIRABEL_BINARY) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return outcome;
    char buffer[4096];
    std::size_t read;
    while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        outcome.output.append(buffer, read);
    const int status = pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

class CommandLine : public ::testing::Test {
  protected:
    void SetUp() override { dir.StoreFolderArchive(4, 2); }

    ProgramDirectory dir;
};

TEST_F(CommandLine, ArchiveNowArchivesTheWaitingStudiesOfTheStoredDestination) {
    WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    const Outcome before = RunProgram("--count");
    EXPECT_EQ(before.status, 0);
    EXPECT_EQ(before.output, "4 studies to be archived\n");

    const Outcome run = RunProgram("--archive-now");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("Transferring 4 of 4 studies"), std::string::npos) << run.output;
    EXPECT_NE(ReadFileBytes(dir / "mirabel.log").find("Archive finished"), std::string::npos);

    const Outcome after = RunProgram("--count");
    EXPECT_EQ(after.output, "No Studies To Archive!!\n");
}

// The study folders below the image root, in name order.
std::vector<fs::path> StudyFolders(const fs::path& imageRoot) {
    std::vector<fs::path> folders;
    for (const auto& entry : fs::recursive_directory_iterator(imageRoot))
        if (entry.is_directory() && entry.path().filename().string().starts_with("ST"))
            folders.push_back(entry.path().lexically_relative(imageRoot));
    std::sort(folders.begin(), folders.end());
    return folders;
}

TEST_F(CommandLine, LinksAndFifosAtEitherEndFailTheirStudyAndTouchNothingOutside) {
    WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    const fs::path outside = dir / "outside";  // neither the image store nor the archive
    fs::create_directory(outside);
    WriteFileBytes(outside / "victim.dcm", "not ours");
    const std::vector<fs::path> studies = StudyFolders(dir / "images");
    ASSERT_EQ(studies.size(), 4u);
    auto local = [&](int i) { return dir / "images" / studies[i]; };
    auto copy = [&](int i) { return dir / "archive" / "images" / studies[i]; };
    // A link in the archive where a file of the first study goes: the copy replaces it.
    fs::create_directories(copy(0));
    fs::create_symlink(outside / "victim.dcm", copy(0) / "IMG1.dcm");
    // The second study's folder is a link to a folder outside the image store.
    fs::rename(local(1), outside / "study");
    fs::create_directory_symlink(outside / "study", local(1));
    // A FIFO where the third study's manifest goes, and one in the archive where a file of
    // the fourth goes: neither is opened, so nothing waits for a reader or a writer.
    mkfifo((local(2) / "exam.ver").c_str(), 0600);
    fs::create_directories(copy(3));
    mkfifo((copy(3) / "IMG2.dcm").c_str(), 0600);

    const Outcome run = RunProgram("--archive-now");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_EQ(ReadFileBytes(outside / "victim.dcm"), "not ours");
    EXPECT_FALSE(fs::exists(outside / "study" / "exam.ver"));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(copy(0) / "IMG1.dcm")));
    EXPECT_EQ(ReadFileBytes(copy(0) / "IMG1.dcm"), "image 0");
    const std::string errors = ReadFileBytes(dir / "mirabelerror.log");
    EXPECT_NE(errors.find(" is reached through the link " + local(1).string()), std::string::npos)
        << errors;
    EXPECT_NE(errors.find("error transmitting file(" + (local(3) / "IMG2.dcm").string()),
              std::string::npos)
        << errors;
    EXPECT_NE(ReadFileBytes(dir / "mirabel.log").find("exam.ver creation was blocked"),
              std::string::npos);
    EXPECT_EQ(RunProgram("--count").output, "3 studies to be archived\n");
}

TEST_F(CommandLine, WithoutADestinationItCannotStartAndSaysWhy) {
    const Outcome run = RunProgram("--archive-now");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("mirabel: cannot start"), std::string::npos) << run.output;

    const Outcome unknown = RunProgram("--archive-later");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.output.find("unknown option --archive-later"), std::string::npos);
}

}  // namespace

}  // namespace mirabel
