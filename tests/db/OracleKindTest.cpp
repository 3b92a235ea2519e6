// The Oracle kind against a private PostgreSQL server through unixODBC and psqlODBC. The schema
// follows the Oracle naming (MEDIA_TYPE, NUMERIC ids); the server offers an Oracle-like TO_DATE.
#include <chrono>
#include <thread>

#include "app/WindowRun.h"
#include "archive/ExamRowWriter.h"
#include "db/DbTestSupport.h"
#include "db/ExpectedSelection.h"
#include "db/StudySelection.h"
#include "db/WaitingStudyCount.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/OdbcTestSetup.h"
#include "fixtures/PostgresServer.h"

namespace mirabel {

namespace {

class OracleKind : public DbTest {
  protected:
    void SetUp() override {
        // No server, no test: the exception fails the test with the server's log.
        server_ = &PostgresServer::Instance();
        ExamMix mix;
        mix.exams = 120;
        mix.newestExam = std::time(nullptr) + 30 * 3600 + 1800;
        content_ = GenerateImageDatabaseContent(mix);
        ExamRow quoted;
        quoted.examId = 77;
        quoted.patientId = 1;
        quoted.imagePath = "\\2004\\0307\\ST77";
        quoted.examDate = "2004-03-07 14:05:00";
        quoted.reader = "Dr. O'Neil";
        content_.exams.push_back(quoted);
        server_->LoadImageDatabase(content_);

        config_.m_strDbType = "ORACLE";
        config_.m_strSqlServer = kPostgresDsn;
        config_.m_strSqlUser = kPostgresUser;
        config_.m_strSqlPassword = kPostgresPassword;
        config_.m_strDbField = "ARCHIVE_PATH";
    }

    CAdoRecordset* OpenOnServer(const std::string& statement) {
        GetNewDatabase("corvana");
        OpenOracleDatabase(FindConnection("corvana"), kPostgresDsn, kPostgresUser,
                           kPostgresPassword);
        EXPECT_EQ(g_bDbError, 0) << ::testing::PrintToString(ErrorLines());
        CAdoRecordset* rs = GetNewRecordset("echorec", FindConnection("corvana"));
        OpenRecordset(rs, statement);
        EXPECT_EQ(g_bDbError, 0) << ::testing::PrintToString(ErrorLines());
        return rs;
    }

    PostgresServer* server_ = nullptr;
    ImageDatabaseContent content_;
    ArchiverConfig config_;
};

// Before a study's files go its row is proved writable by locking it, not by an UPDATE, which
// would fire the image system's triggers; a row another session holds is refused at once.
TEST_F(OracleKind, ARowIsProvedWritableWithoutFiringTriggersAndALockedOneIsRefused) {
    server_->Run(
        "DROP TABLE IF EXISTS exam_updates; CREATE TABLE exam_updates (n INTEGER); "
        "CREATE OR REPLACE FUNCTION count_update() RETURNS trigger AS $$ BEGIN "
        "INSERT INTO exam_updates VALUES (1); RETURN NEW; END $$ LANGUAGE plpgsql; "
        "CREATE TRIGGER exam_update BEFORE UPDATE ON exam FOR EACH ROW "
        "EXECUTE FUNCTION count_update();");
    const auto updates = [this] {
        std::vector<std::string> count;
        GetColumn(OpenOnServer("SELECT CAST(COUNT(*) AS INTEGER) AS N FROM exam_updates"), "N",
                  count, 1);
        CloseDatabase(FindConnection("corvana"));
        return count;
    };
    ExamRowWriter rows(config_, "corvanadelete");
    EXPECT_NO_THROW(rows.ProveWritable("77", "MEDIA_TYPE"));
    EXPECT_EQ(updates(), std::vector<std::string>{"0"});

    std::thread holder([this] {
        try {
            server_->Run(
                "BEGIN; SELECT EXAM_ID FROM EXAM WHERE EXAM_ID = 77 FOR UPDATE; "
                "SELECT pg_sleep(2); COMMIT;");
        } catch (const std::exception& failure) {
            ADD_FAILURE() << failure.what();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_THROW(rows.ProveWritable("77", "MEDIA_TYPE"), std::exception);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
    holder.join();

    EXPECT_TRUE(rows.Write("77", "MEDIA_TYPE", "Archive"));
    EXPECT_EQ(updates(), std::vector<std::string>{"1"});
}

TEST_F(OracleKind, SelectionWithAgeSendsToDateAndListsTheRightStudies) {
    for (bool final : {false, true}) {
        config_.m_bSendAll = false;
        config_.m_bReside = true;
        config_.m_bFinal = final;
        config_.m_nDaysBeforeArchive = 1;
        GetStudyList(config_, g_StudyList);
        const auto expected = ExpectedWaitingIds(content_.exams, config_, std::time(nullptr));
        ASSERT_FALSE(expected.empty());
        std::vector<std::string> listed;
        for (const auto& study : g_StudyList) listed.emplace_back(study->ExamId());
        EXPECT_EQ(listed, expected) << "final " << final << ::testing::PrintToString(ErrorLines());
    }
    ASSERT_FALSE(g_StudyList.empty());
    EXPECT_EQ(g_StudyList.front()->ExamDate(), "03/07/2004 14:05");
    EXPECT_EQ(g_bOracleSyntax, 1);
    // The server received the Oracle form of the column test and of the date literal.
    const std::string log = server_->ServerLog();
    EXPECT_NE(log.find("(NULLIF(LTRIM(RTRIM(EXAM.ARCHIVE_PATH)), '') IS NULL)"), std::string::npos);
    EXPECT_NE(log.find("EXAM.EXAM_DATE < TO_DATE('"), std::string::npos);
    EXPECT_NE(log.find("', 'MM/DD/YYYY HH24:MI')"), std::string::npos);
    EXPECT_TRUE(ErrorLines().empty()) << ::testing::PrintToString(ErrorLines());
}

// The server counts in its own number types; the count still matches the list, with rows
// without a path (the mix has some) and with every row having one.
TEST_F(OracleKind, CountIsWhatTheListWouldHold) {
    for (const char* change : {"SELECT 1",
                               "UPDATE EXAM SET IMAGE_PATH = 'P' WHERE IMAGE_PATH "
                               "IS NULL OR IMAGE_PATH = ''"}) {
        server_->Run(change);
        for (bool sendAll : {true, false}) {
            for (int cap : {3, kMaxSelectedStudies}) {
                config_.m_bSendAll = sendAll;
                config_.m_bReside = config_.m_bFinal = true;
                ASSERT_TRUE(GetStudyList(config_, g_StudyList, cap))
                    << ::testing::PrintToString(ErrorLines());
                std::size_t count = 0;
                EXPECT_TRUE(CountWaitingStudies(config_, count, cap));
                EXPECT_EQ(count, g_StudyList.size()) << change << ", cap " << cap;
            }
        }
    }
    EXPECT_TRUE(ErrorLines().empty()) << ::testing::PrintToString(ErrorLines());
}

TEST_F(OracleKind, RowReadsAndASingleRowWriteBack) {
    CAdoRecordset* rs = OpenOnServer("SELECT * FROM EXAM WHERE EXAM.EXAM_ID = 77");
    std::vector<std::string> names, values;
    for (int i = 0; i < GetFieldCount(rs); ++i) {
        names.push_back(GetFieldName(rs, i));
        values.push_back(GetFieldValue(rs, i));
    }
    ASSERT_GE(names.size(), 8u);
    EXPECT_EQ(names[0], "exam_id");  // the server's own spelling
    EXPECT_EQ(values[0], "77");      // NUMERIC reads as its digits
    EXPECT_EQ(values[3], "03/07/2004 14:05");
    EXPECT_EQ(values[4], "Dr. O'Neil");
    EXPECT_EQ(values[5], "NULL");
    std::vector<std::string> mediaType;
    EXPECT_EQ(GetColumn(rs, "Media Type", mediaType, 10), 1);  // reads MEDIA_TYPE
    EXPECT_EQ(mediaType, std::vector<std::string>{"Image Server"});

    MoveToRow(rs, 0);
    SetFieldValue(rs, "ARCHIVE_PATH", "FTP:10.1.2.3 /images/2004/0307/ST77");
    SetFieldValue(rs, "Media Type", "Archive");  // writes MEDIA_TYPE
    Update(rs);
    EXPECT_EQ(g_bDbError, 0) << ::testing::PrintToString(ErrorLines());
    CloseRecordset(rs);
    CloseDatabase(FindConnection("corvana"));

    rs = OpenOnServer(
        "SELECT EXAM_ID FROM EXAM WHERE ARCHIVE_PATH LIKE 'FTP:10.1.2.3 /images/2004/0307*'");
    std::vector<std::string> changed;
    GetColumn(rs, "EXAM_ID", changed, 100);
    EXPECT_EQ(changed, std::vector<std::string>{"77"});
    rs = OpenOnServer("SELECT EXAM_ID FROM EXAM WHERE EXAM.[Media Type] = 'Archive'");
    GetColumn(rs, "EXAM_ID", changed, 100);
    EXPECT_EQ(changed, std::vector<std::string>{"77"});
    EXPECT_TRUE(ErrorLines().empty()) << ::testing::PrintToString(ErrorLines());
}

TEST_F(OracleKind, AnUpdateThatWouldChangeTwoIdenticalRowsChangesNone) {
    server_->Run(std::string("DROP TABLE IF EXISTS Twins; ") + kTwinsTable);
    ChangeATwinThenTheThirdRow(OpenOnServer("SELECT * FROM Twins ORDER BY B"));
    EXPECT_EQ(ErrorLines(), std::vector<std::string>{kRowNotFoundText});
    std::vector<std::string> values;
    GetColumn(OpenOnServer("SELECT * FROM Twins ORDER BY B"), "A", values, 10);
    EXPECT_EQ(values, (std::vector<std::string>{"x", "x", "w"}));
}

TEST_F(OracleKind, TheMediaTypeColumnIsNeverTheArchiveColumn) {
    // A study whose media type is not set would otherwise be listed, and archived into it.
    server_->Run("UPDATE EXAM SET MEDIA_TYPE = NULL WHERE EXAM_ID = 77;");
    for (const char* spelling : {"Media Type", "media_type"}) {
        config_.m_strDbField = spelling;
        EXPECT_FALSE(GetStudyList(config_, g_StudyList)) << spelling;
        EXPECT_TRUE(g_StudyList.empty()) << spelling;
    }
    EXPECT_EQ(ErrorLines().size(), 2u) << ::testing::PrintToString(ErrorLines());
}

TEST_F(OracleKind, WrongPasswordAndQuotedValues) {
    // A value between quotes with a quote of its own, doubled, is found.
    CAdoRecordset* rs = OpenOnServer("SELECT EXAM_ID FROM EXAM WHERE READER = 'Dr. O''Neil'");
    std::vector<std::string> ids;
    GetColumn(rs, "EXAM_ID", ids, 10);
    EXPECT_EQ(ids, std::vector<std::string>{"77"});

    GetNewDatabase("corvana");
    OpenOracleDatabase(FindConnection("corvana"), kPostgresDsn, kPostgresUser, "wrong");
    EXPECT_EQ(g_bDbError, 1);
    const auto errors = ErrorLines();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("password authentication failed"), std::string::npos) << errors[0];
}

TEST_F(OracleKind, TheDriverTextOfAFailedStatementIsOneErrorLogLine) {
    GetNewDatabase("corvana");
    OpenOracleDatabase(FindConnection("corvana"), kPostgresDsn, kPostgresUser, kPostgresPassword);
    OpenRecordset(GetNewRecordset("echorec", FindConnection("corvana")), "SELECT * FROM NO_EXAMS");
    EXPECT_EQ(g_bDbError, 1);
    const std::string log = ReadFileBytes(Path(kErrorLogFile));
    EXPECT_NE(log.find("relation \"no_exams\" does not exist"), std::string::npos) << log;
    EXPECT_EQ(log.find('\n'), log.size() - 1) << log;
}

}  // namespace

}  // namespace mirabel
