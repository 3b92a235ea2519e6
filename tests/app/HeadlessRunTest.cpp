// "mirabel --archive-now" and "mirabel --count" on a stored configuration: a user hive, the
// destination list, "Default.cfg", a SQLite image database and its study folders.
#include "app/HeadlessRun.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/ProcessState.h"
#include "config/SettingsStore.h"
#include "config/ArchiveListFile.h"
#include "db/DatabaseLayer.h"
#include "fixtures/ArchiveColumnReader.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/TransferSetup.h"
#include "platform/RegistryHive.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

class HeadlessRun : public ::testing::Test {
  protected:
    HeadlessRun() {
        ResetProcessState();
        ::setenv("XDG_CONFIG_HOME", (setup.Work() / "config").c_str(), 1);
        ImageDatabaseContent content;
        content.patients.push_back({7, "Smith", "Ann"});
        for (long id : {1, 2}) {
            ExamRow exam;
            exam.examId = id;
            exam.patientId = 7;
            exam.imagePath = "\\2004\\ST0" + std::to_string(id);
            exam.examDate = "2004-01-1" + std::to_string(id) + " 10:15:00";
            content.exams.push_back(exam);
        }
        CreateImageDatabase(database, content);
        MakeStudyFolders(setup.ImageRoot(), content.exams);
        StoreConfiguration();
    }
    ~HeadlessRun() override {
        ::unsetenv("XDG_CONFIG_HOME");
        ResetProcessState();
    }

    // What the main window would have stored: the destination list, the selection and the
    // settings of the selected destination.
    void StoreConfiguration() {
        fs::create_directory(setup.Work() / "arch");
        g_Archives.push_back(std::make_unique<ArchiveDestination>(
            TransferSetup::FolderDestination(setup.Work() / "arch")));
        ASSERT_TRUE(WriteArchiveList(kArchiveListFile));
        ResetArchives();
        WriteFileBytes(setup.Work() / "Default.cfg", "NFS:ARCH");
        StoreDatabaseSetting("Image Path", setup.ImageRoot().string());
        StoreDatabaseSetting("Database File", database.string());
        StoreDatabaseSetting("DB_Type", "JET");
    }
    // A setting of the selected destination, as the main window stores it.
    static void StoreDatabaseSetting(const std::string& key, const std::string& value) {
        ASSERT_TRUE(OpenUserHive()->SetValue(
            {"Software", kDefaultProductKey, "NFS:ARCH", "Database"}, key, value))
            << key;
    }
    int Run(int (*command)()) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int status = command();
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        ResetArchives();
        return status;
    }

    TransferSetup setup;
    fs::path database = setup.Work() / "corvana.mdb";
    std::string out, err;
};

TEST_F(HeadlessRun, ArchivesEveryWaitingStudyAndCountsThemBeforehand) {
    EXPECT_EQ(Run(PrintStudyCountHeadless), 0);
    EXPECT_EQ(out, "2 studies to be archived\n");
    EXPECT_EQ(Run(RunArchiveNowHeadless), kHeadlessAllArchived);
    EXPECT_NE(out.find("Transferring 2 of 2 studies"), std::string::npos) << out;
    const std::string copies = (setup.Work() / "arch/images/2004/").string();
    EXPECT_EQ(ReadArchiveValue(database, 1), "NFS:ARCH:" + copies + "ST01/");
    EXPECT_EQ(ReadArchiveValue(database, 2), "NFS:ARCH:" + copies + "ST02/");
    EXPECT_EQ(Run(PrintStudyCountHeadless), 0);
    EXPECT_EQ(out, "No Studies To Archive!!\n");
}

TEST_F(HeadlessRun, AStudyThatFailsGivesStatusOne) {
    ::setenv("MIRABEL_RETRY_PAUSE_MS", "0", 1);
    fs::remove_all(setup.ImageRoot() / "2004/ST02");
    EXPECT_EQ(Run(RunArchiveNowHeadless), kHeadlessSomeFailed);
    ::unsetenv("MIRABEL_RETRY_PAUSE_MS");
    EXPECT_NE(ReadArchiveValue(database, 1), "");
    EXPECT_EQ(ReadArchiveValue(database, 2), "");
}

TEST_F(HeadlessRun, SaysWhyARunCannotStart) {
    RunSqlite(database, {"DROP TABLE PATIENT"});
    EXPECT_EQ(Run(RunArchiveNowHeadless), kHeadlessCannotStart);
    EXPECT_NE(err.find("the study selection failed"), std::string::npos) << err;

    StoreDatabaseSetting("Database File", (setup.Work() / "missing.mdb").string());
    EXPECT_EQ(Run(RunArchiveNowHeadless), kHeadlessCannotStart);
    EXPECT_NE(err.find("the image database cannot be reached"), std::string::npos) << err;

    WriteFileBytes(setup.Work() / "Default.cfg", "");
    EXPECT_EQ(Run(RunArchiveNowHeadless), kHeadlessCannotStart);
    EXPECT_EQ(err, "mirabel: cannot start: no archive destination is selected\n");
}

}  // namespace

}  // namespace mirabel
