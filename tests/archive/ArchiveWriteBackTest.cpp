// The archive location written into the study's EXAM row of a real SQLite image database.
#include <gtest/gtest.h>

#include "app/WindowRun.h"
#include "app/ProcessState.h"
#include "archive/StudyTransfer.h"
#include "db/DatabaseLayer.h"
#include "fixtures/ArchiveColumnReader.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/TransferSetup.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPath = "\\2004\\0117\\ST01";

class ArchiveWriteBack : public ::testing::Test {
  protected:
    ArchiveWriteBack() {
        ResetProcessState();
        ImageDatabaseContent content;
        content.patients.push_back({7, "Smith", "Ann"});
        ExamRow exam;
        exam.examId = 42;
        exam.patientId = 7;
        exam.imagePath = kPath;
        exam.examDate = "2004-01-17 10:15:00";
        content.exams.push_back(exam);
        CreateImageDatabase(database, content);
        setup.config.m_strDbType = "JET";
        setup.config.m_strDatabaseFile = database.string();
        setup.MakeStudy(kPath, {{"a", "1"}});
        study.m_bUpdateDatabase = 1;
    }
    ~ArchiveWriteBack() override { ResetProcessState(); }

    TransferOutcome Archive(ArchiveDestination& destination) {
        MediaBudget budget;
        return ArchiveStudy(WindowRunControl(), setup.config, destination, study, budget);
    }

    TransferSetup setup;
    fs::path database = setup.Work() / "corvana.mdb";
    StudyRecord study = TransferSetup::Study(kPath, "42");
};

TEST_F(ArchiveWriteBack, TheRowRecordsTheDestinationTheMediumsLabelAndTheCopysFolder) {
    const fs::path medium = setup.Work() / "medium";
    fs::create_directory(medium);
    WriteFileBytes(medium / "cvlabel.txt", "MO0042");
    ArchiveDestination destination = TransferSetup::MediumDestination(medium, "MO");
    ASSERT_EQ(Archive(destination), TransferOutcome::Archived);
    EXPECT_EQ(ReadArchiveValue(database, 42),
              "REM:MO:MO0042:" + (medium / "images/2004/0117/ST01/").string());
    EXPECT_EQ(setup.Activity(),
              std::vector<std::string>{"Study for Ann Smith on 01/17/2004 has been archived"});
}

TEST_F(ArchiveWriteBack, AStudyWhoseRowIsGoneOrWhoseDatabaseFailsIsNotArchived) {
    ArchiveDestination destination = TransferSetup::FolderDestination(setup.Work());
    study.SetExamId("43");
    EXPECT_EQ(Archive(destination), TransferOutcome::Failed);
    EXPECT_TRUE(setup.Activity().empty());
    EXPECT_TRUE(setup.Errors().empty());

    study.SetExamId("42");
    setup.config.m_strDbField = "NO_SUCH_COLUMN";
    EXPECT_EQ(Archive(destination), TransferOutcome::Failed);
    EXPECT_EQ(setup.Errors().back(), "database error");
    setup.config.m_strDatabaseFile = (setup.Work() / "missing.mdb").string();
    setup.config.m_strDbField = "ARCHIVE_PATH";
    EXPECT_EQ(Archive(destination), TransferOutcome::Failed);
    EXPECT_EQ(setup.Errors().back(), "database error");
    EXPECT_EQ(ReadArchiveValue(database, 42), "");
    EXPECT_TRUE(setup.Activity().empty());
}

TEST_F(ArchiveWriteBack, AColumnTheSystemUsesIsNeverWritten) {
    ArchiveDestination destination = TransferSetup::FolderDestination(setup.Work());
    for (const char* refused : {"IMAGE_PATH", "exam_date", ""}) {
        setup.config.m_strDbField = refused;
        EXPECT_EQ(Archive(destination), TransferOutcome::Failed) << refused;
    }
    EXPECT_EQ(ReadArchiveValue(database, 42, "IMAGE_PATH"), kPath);
    EXPECT_EQ(ReadArchiveValue(database, 42, "EXAM_DATE"), "01/17/2004 10:15");
    EXPECT_EQ(setup.Errors().size(), 3u);
}

TEST_F(ArchiveWriteBack, AFailedWriteBackLeavesTheDatabaseOpenToOtherWriters) {
    ArchiveDestination destination = TransferSetup::FolderDestination(setup.Work());
    setup.config.m_strDbField = "NO_SUCH_COLUMN";
    ASSERT_EQ(Archive(destination), TransferOutcome::Failed);
    // Another program writing to the image system's database is not locked out.
    EXPECT_NO_THROW(RunSqlite(database, {"UPDATE PATIENT SET NAME_F = 'Anne' WHERE PAT_ID = 7"}));
    EXPECT_TRUE(g_Recordsets.empty());
    EXPECT_TRUE(g_Databases.empty());
}

}  // namespace

}  // namespace mirabel
