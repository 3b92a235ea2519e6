// The built program without a window, as a scheduler or a script runs it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>

#include "fixtures/ProgramDirectory.h"

namespace mirabel {

namespace {

struct Outcome {
    int status = -1;
    std::string output;
};

// The built program, started in the current directory, its standard error joined to its
// standard output.
class Program {
  public:
    explicit Program(const std::string& arguments)
        : pipe_(popen((std::string(MIRABEL_BINARY) + " " + arguments + " 2>&1").c_str(), "r")) {}
    ~Program() {
        if (pipe_) Finish();
    }

    // Waits for the program to end.
    Outcome Finish() {
        Outcome outcome;
        if (!pipe_) return outcome;
        char buffer[4096];
        std::size_t read;
        while ((read = std::fread(buffer, 1, sizeof buffer, pipe_)) > 0)
            outcome.output.append(buffer, read);
        const int status = pclose(std::exchange(pipe_, nullptr));
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return outcome;
    }

  private:
    FILE* pipe_;
};

Outcome RunProgram(const std::string& arguments) {
    return Program(arguments).Finish();
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
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

TEST_F(CommandLine, WithoutADestinationItCannotStartAndSaysWhy) {
    const Outcome run = RunProgram("--archive-now");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("mirabel: cannot start"), std::string::npos) << run.output;

    const Outcome unknown = RunProgram("--archive-later");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.output.find("unknown option --archive-later"), std::string::npos);
}

TEST_F(CommandLine, ASecondRunInTheSameDirectoryDoesNotStartWhileTheFirstIsInProgress) {
    WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    // One study without its folder keeps the first run busy through two retry pauses.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir / "images"))
        if (entry.is_regular_file()) {
            std::filesystem::remove_all(entry.path().parent_path());
            break;
        }
    ::setenv("MIRABEL_RETRY_PAUSE_MS", "1500", 1);

    Program first("--archive-now");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(dir / "mirabel.log") &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const Outcome second = RunProgram("--archive-now");
    const Outcome firstOutcome = first.Finish();
    ::unsetenv("MIRABEL_RETRY_PAUSE_MS");

    EXPECT_EQ(second.status, 2) << second.output;
    EXPECT_EQ(second.output,
              "mirabel: cannot start: another run is in progress in this directory\n");
    EXPECT_EQ(firstOutcome.status, 1) << firstOutcome.output;
    const std::string activity = ReadFileBytes(dir / "mirabel.log");
    EXPECT_EQ(Occurrences(activity, "Archive started"), 1u) << activity;
    EXPECT_EQ(Occurrences(activity, "has been archived"), 3u) << activity;
}

}  // namespace

}  // namespace mirabel
