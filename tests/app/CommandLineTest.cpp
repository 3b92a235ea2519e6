// The built program without a window, as a scheduler or a script runs it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "ProgramRun.h"
#include "config/ArchiveDestination.h"
#include "config/ArchiveListFile.h"
#include "fixtures/ArchiveColumnReader.h"
#include "fixtures/FtpServer.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/LogMessages.h"
#include "fixtures/ProgramDirectory.h"
#include "fixtures/RemovalSetup.h"
#include "platform/ExclusiveFileLock.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

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

    ::setenv("MIRABEL_RETRY_PAUSE_MS", "0", 1);
    const ProgramOutcome run = RunProgram("--archive-now");
    ::unsetenv("MIRABEL_RETRY_PAUSE_MS");
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
    const ProgramOutcome run = RunProgram("--archive-now");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("mirabel: cannot start"), std::string::npos) << run.output;

    // A command line that cannot be read starts nothing and says which word is wrong.
    const struct {
        const char* arguments;
        const char* said;
    } refused[] = {
        {"--archive-later", "unknown option --archive-later"},
        {"--archive-now --verify", "--archive-now has no option --verify"},
        {"--count 12", "--count takes no 12"},
        {"--verify --study", "--study needs a value"},
        {"--verify --study 12a", "--study needs an exam id"},
        {"--verify --budget-gb 0", "--budget-gb needs a whole number from 1"},
        {"--verify --older-than -3", "--older-than needs a whole number from 0"},
        {"--verify --older-than 4294967296", "--older-than needs a whole number from 0 to"},
    };
    for (const auto& c : refused) {
        const ProgramOutcome run = RunProgram(c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_NE(run.output.find(c.said), std::string::npos) << c.arguments << run.output;
    }
}

TEST_F(CommandLine, APatientNameCannotForgeALogEntry) {
    WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    RunSqlite(dir / "echo.db", {"UPDATE PATIENT SET NAME_L = 'Smith' || char(13, 10) || "
                                "'01/17/2004 10:00:00 Study for Eve Doe on 01/01/2004 has been "
                                "archived'"});
    const ProgramOutcome run = RunProgram("--archive-now");
    EXPECT_EQ(run.status, 0) << run.output;
    // Archive started, four studies archived, Archive finished, the run's summary: seven
    // entries, seven lines.
    const std::vector<std::string> entries = ReadLogMessages(dir / "mirabel.log");
    ASSERT_EQ(entries.size(), 7u) << ReadFileBytes(dir / "mirabel.log");
    EXPECT_NE(entries[1].find("Smith  01/17/2004 10:00:00 Study for Eve Doe"), std::string::npos)
        << entries[1];
}

TEST_F(CommandLine, ALogThatCannotBeWrittenIsReportedOnceOnStandardError) {
    WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    std::filesystem::create_directory(dir / "mirabel.log");  // a folder cannot be appended to
    const ProgramOutcome run = RunProgram("--archive-now");
    EXPECT_EQ(run.status, 0) << run.output;
    const std::string report = "mirabel: cannot write to the log mirabel.log: Is a directory\n";
    const std::size_t first = run.output.find(report);
    EXPECT_NE(first, std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(report, first + 1), std::string::npos) << run.output;
}

// Names a server could store under another name: the study fails before anything of it is
// sent, with one error-log line an attempt naming the file, and stays waiting.
TEST_F(CommandLine, FileNamesAnFtpServerWouldChangeFailTheirStudy) {
    TempDir served;
    std::filesystem::create_directory(served / "data");
    FtpServer server(served.path());
    dir.AddFtpArchive(server.Address(), server.User(), server.Password());
    WriteFileBytes(dir / "Default.cfg", "FTP:" + server.Address());
    const std::vector<std::filesystem::path> studies = dir.StudyFolders();
    const std::vector<std::pair<std::string, std::string>> hostile = {
        {"IMG\r\n3.dcm", "IMG\\x0D\\x0A3.dcm"},
        {"sub\\IMG3.dcm", "sub\\IMG3.dcm"},
        {"M\xfcller.dcm", "M\\xFCller.dcm"}};
    for (std::size_t i = 0; i < hostile.size(); ++i)
        WriteFileBytes(studies[i] / hostile[i].first, "x");
    ::setenv("MIRABEL_RETRY_PAUSE_MS", "0", 1);
    const ProgramOutcome run = RunProgram("--archive-now");
    ::unsetenv("MIRABEL_RETRY_PAUSE_MS");

    EXPECT_EQ(run.status, 1) << run.output;
    const std::vector<std::string> errors = ReadLogMessages(dir / "mirabelerror.log");
    EXPECT_EQ(errors.size(), 3 * hostile.size()) << ReadFileBytes(dir / "mirabelerror.log");
    for (const auto& [name, shown] : hostile)
        EXPECT_EQ(std::count_if(errors.begin(), errors.end(),
                                [&](const std::string& e) {
                                    return e.find("the name \"" + shown + "\" would not reach") !=
                                           std::string::npos;
                                }),
                  3)
            << shown;
    EXPECT_EQ(RunProgram("--count").output, "3 studies to be archived\n");
    // Only the clean study reached the server.
    std::size_t uploaded = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(served / "data"))
        uploaded += entry.path().filename() == "exam.ver";
    EXPECT_EQ(uploaded, 1u);
}

TEST_F(CommandLine, UnderTheArchiveMethodTheStudiesAreRecordedInArchivePath) {
    WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    dir.Store("NFS:lab", "Archive", "ReplicateMethod", "FALSE");
    dir.Store("NFS:lab", "Archive", "DBField", "REPLICA");
    const int columns = ExamColumnCount(dir / "echo.db");
    const ProgramOutcome run = RunProgram("--archive-now");
    EXPECT_EQ(run.status, 0) << run.output;
    for (long examId = 1000; examId < 1004; ++examId)
        EXPECT_NE(ReadArchiveValue(dir / "echo.db", examId), "") << examId;
    EXPECT_EQ(ExamColumnCount(dir / "echo.db"), columns);
}

// The window clears a Replicate column that EXAM lacks; a run without it must neither add the
// column nor take another.
TEST_F(CommandLine, AReplicateColumnThatIsEmptyOrNotInExamArchivesNothingAndAddsNoColumn) {
    WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    const int columns = ExamColumnCount(dir / "echo.db");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "no archive column is set for the Replicate method"},
        {"COPY_PLACE",
         "the archive column \"COPY_PLACE\" of the Replicate method is not a "
         "column of EXAM"}};
    for (const auto& [stored, reason] : cases) {
        dir.Store("NFS:lab", "Archive", "DBField", stored);
        const ProgramOutcome run = RunProgram("--archive-now");
        EXPECT_EQ(run.status, 2) << run.output;
        EXPECT_NE(run.output.find("mirabel: cannot start: " + reason), std::string::npos)
            << run.output;
        EXPECT_EQ(ExamColumnCount(dir / "echo.db"), columns);
        EXPECT_TRUE(std::filesystem::is_empty(dir / "archive"));
    }
}

TEST_F(CommandLine, CountFailsLoudlyWhenTheDatabaseCannotBeRead) {
    WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    const std::string missing = (dir / "missing.db").string();
    for (const std::string& databaseFile : {missing, std::string()}) {
        dir.Store("NFS:lab", "Database", "Database File", databaseFile);
        const ProgramOutcome count = RunProgram("--count");
        EXPECT_EQ(count.status, 2) << databaseFile;
        EXPECT_EQ(count.output.rfind("No Studies To Archive!!\nmirabel: cannot count: ", 0), 0u)
            << count.output;
    }
    dir.Store("NFS:lab", "Database", "Database File", (dir / "echo.db").string());
    RunSqlite(dir / "echo.db", {"DROP TABLE PATIENT"});
    EXPECT_EQ(RunProgram("--count").status, 2);
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
    const ProgramOutcome second = RunProgram("--archive-now");
    const ProgramOutcome firstOutcome = first.Finish();
    ::unsetenv("MIRABEL_RETRY_PAUSE_MS");

    EXPECT_EQ(second.status, 2) << second.output;
    EXPECT_EQ(second.output,
              "mirabel: cannot start: another run is in progress in this directory\n");
    EXPECT_EQ(firstOutcome.status, 1) << firstOutcome.output;
    const std::string activity = ReadFileBytes(dir / "mirabel.log");
    EXPECT_EQ(Occurrences(activity, "Archive started"), 1u) << activity;
    EXPECT_EQ(Occurrences(activity, "has been archived"), 3u) << activity;
}

// "--remove-now" in a start directory whose current destination is a DVD drive at ./dvd, beside
// the folder destination of the removal setup: its stored "Delete" rules select every archived
// study and every temporary one.
class RemoveNow : public ::testing::Test {
  protected:
    void SetUp() override {
        ArchiveDestination drive(DestinationKind::Removable);
        drive.m_strRootPath = (dir / "dvd").string();
        drive.m_strMediaType = "DVD";
        drive.m_strMediaSize = "4700";
        drive.BuildId();
        g_Archives.push_back(std::make_unique<ArchiveDestination>(drive));
        ASSERT_TRUE(WriteArchiveList(kArchiveListFile));
        ResetArchives();
        WriteFileBytes(dir / "Default.cfg", "REM:DVD");
        const auto store = [this](const char* section, const char* key, const std::string& v) {
            dir.Store("REM:DVD", section, key, v);
        };
        store("Database", "Database File", setup.Database().string());
        store("Database", "Image Path", setup.ImageRoot().string());
        for (const char* box : {"ByDate", "TempDel"}) store("Delete", box, "TRUE");
        store("Delete", "Max Delete Percent", "100");  // the rules select every candidate
        RemovalStudy study;
        const auto add = [&](long id, const std::string& archiveValue) {
            study.examId = id;
            study.archiveValue = archiveValue;
            return setup.Add(study);
        };
        add(1, kFolderCopy);
        const std::filesystem::path onMedium = add(2, "REM:DVD:L1:/dvd/images/2004/ST2/");
        add(3, "REM:DVD:L9:/dvd/images/2004/ST3/");               // a medium not inserted
        std::filesystem::remove(add(4, kFolderCopy) / "cv.dir");  // a problem
        study.mediaType = "TEMP";
        add(5, kFolderCopy);
        setup.WriteTempStudies({{5, "2004-02-01 08:00:00"}});
        std::filesystem::create_directories(dir / "dvd/images/2004/ST2");
        WriteFileBytes(dir / "dvd" / "cvlabel.txt", "L1");
        std::filesystem::copy(onMedium, dir / "dvd/images/2004/ST2");
    }

    ProgramDirectory dir;
    RemovalSetup setup{dir.path()};
};

TEST_F(RemoveNow, DeletesWhatTheStoredRulesSelectAndLeavesWhatItCannotCheck) {
    const ProgramOutcome run = RunProgram("--remove-now");
    EXPECT_EQ(run.status, 1) << run.output;
    for (long deleted : {1, 2, 5}) EXPECT_EQ(setup.MediaType(deleted), "Archive") << deleted;
    for (long left : {3, 4}) EXPECT_EQ(setup.MediaType(left), "Image Server") << left;
    EXPECT_TRUE(std::filesystem::exists(setup.FolderOf(3) / "IMG1.dcm"));
    for (const char* line :
         {"Deleting 3 of 5 studies", "Please enter media labeled L9.",
          "There was a problem deleting study for Ann Smith on 01/17/2004 10:15."})
        EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;

    // What was left is no longer archived: nothing is selected, and that is success.
    RunSqlite(setup.Database(), {"UPDATE EXAM SET ARCHIVE_PATH = NULL WHERE EXAM_ID IN (3, 4)"});
    EXPECT_EQ(RunProgram("--remove-now").status, 0);

    // Another run holds the start directory.
    const ExclusiveFileLock held(dir / "mirabel.lock");
    const ProgramOutcome refused = RunProgram("--remove-now");
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.output.find("another run is in progress"), std::string::npos)
        << refused.output;
}

}  // namespace

}  // namespace mirabel
