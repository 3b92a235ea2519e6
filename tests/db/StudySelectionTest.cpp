// Selecting the studies waiting to be archived from a SQLite image-system database.
#include "app/WindowRun.h"
#include "db/StudySelection.h"

#include <functional>

#include <algorithm>
#include <map>

#include "db/DbTestSupport.h"
#include "db/ExpectedSelection.h"
#include "db/WaitingStudyCount.h"
#include "fixtures/ArchiveColumnReader.h"
#include "fixtures/ImageDatabaseMaker.h"

namespace mirabel {

namespace {

const std::string S =
    "SELECT EXAM.IMAGE_PATH,EXAM.EXAM_DATE,PATIENT.NAME_L,PATIENT.NAME_F,EXAM.EXAM_ID,EXAM.PAT_ID "
    ",EXAM.READER FROM PATIENT, EXAM WHERE ((PATIENT.PAT_ID = "
    "EXAM.PAT_ID)AND((EXAM.[ARCHIVE_PATH] Is Null) OR (LTRIM(RTRIM(EXAM.[ARCHIVE_PATH])) = '')) "
    "AND (EXAM.OLD_CVS <> 1))";
const std::string E = " ORDER BY EXAM.EXAM_DATE";
const std::string P = " AND (EXAM.PRELIM is NOT NULL)";
const std::string F =
    " AND ((EXAM.READER is NOT NULL) AND (EXAM.READER NOT LIKE '$$$READING$$$%'))";
const std::string PF =
    " AND ((EXAM.PRELIM is NOT NULL) OR ((EXAM.READER is NOT NULL) AND (EXAM.READER NOT LIKE "
    "'$$$READING$$$%')))";

struct Criteria {
    bool sendAll, reside, prelim, final;
};

ArchiverConfig ConfigWith(const Criteria& c) {
    ArchiverConfig config;
    config.m_strDbField = "ARCHIVE_PATH";
    config.m_bSendAll = c.sendAll;
    config.m_bReside = c.reside;
    config.m_bPrelim = c.prelim;
    config.m_bFinal = c.final;
    config.m_nDaysBeforeArchive = 2;
    return config;
}

const Criteria kAllCriteria[] = {
    {true, true, true, true},    {false, false, false, false}, {false, false, true, false},
    {false, false, false, true}, {false, false, true, true},   {false, true, false, false},
    {false, true, true, false},  {false, true, false, true},   {false, true, true, true}};

TEST(SelectionStatement, EveryCombinationOfCriteria) {
    std::tm t{};
    t.tm_year = 104, t.tm_mon = 2, t.tm_mday = 9, t.tm_hour = 14, t.tm_min = 5, t.tm_isdst = -1;
    const std::time_t now = std::mktime(&t);
    const std::string D = " AND (EXAM.EXAM_DATE < #03/07/2004 14:05#)";
    const std::string expected[] = {S + E,         S + E,         S + P + E,
                                    S + F + E,     S + PF + E,    S + D + E,
                                    S + D + P + E, S + D + F + E, S + D + PF + E};
    for (std::size_t i = 0; i < std::size(kAllCriteria); ++i)
        EXPECT_EQ(BuildStudySelectStatement(ConfigWith(kAllCriteria[i]), now), expected[i]) << i;
    // Send all wins over every check box.
    EXPECT_EQ(BuildStudySelectStatement(ConfigWith({true, false, true, false}), now), S + E);
}

class StudySelection : public DbTest {
  protected:
    void SetUp() override {
        g_StudyList.clear();
        ExamMix mix;
        mix.exams = 400;
        // Some exams lie in the future so that "older than 0 days" has something to drop; none
        // lies within half an hour of a day boundary of now, so the cutoff minute never decides.
        mix.newestExam = std::time(nullptr) + 50 * 3600 + 1800;
        content_ = GenerateImageDatabaseContent(mix);
        content_.exams[0].imagePath = "";  // waiting studies without a folder
        content_.exams[1].imagePath.reset();
        content_.exams[0].archiveValue.reset();
        content_.exams[1].archiveValue.reset();
        CreateImageDatabase(Path("corvana.mdb"), content_);
        config_.m_strDatabaseFile = Path("corvana.mdb").string();
        config_.m_strDbField = "ARCHIVE_PATH";
        config_.m_strSqlPassword = "Secret1";
    }

    static std::vector<std::string> ListedIds() {
        std::vector<std::string> ids;
        for (const auto& study : g_StudyList) ids.emplace_back(study->ExamId());
        return ids;
    }

    ImageDatabaseContent content_;
    ArchiverConfig config_;
};

TEST_F(StudySelection, EveryCombinationSelectsTheRightStudiesOldestFirst) {
    for (int days : {0, 3}) {
        for (const Criteria& c : kAllCriteria) {
            ArchiverConfig config = config_;
            config.m_bSendAll = c.sendAll, config.m_bReside = c.reside;
            config.m_bPrelim = c.prelim, config.m_bFinal = c.final;
            config.m_nDaysBeforeArchive = days;
            GetStudyList(config, g_StudyList);
            const auto expected = ExpectedWaitingIds(content_.exams, config, std::time(nullptr));
            EXPECT_FALSE(expected.empty());
            EXPECT_EQ(ListedIds(), expected)
                << "send all " << c.sendAll << " reside " << c.reside << " prelim " << c.prelim
                << " final " << c.final << " days " << days;
        }
    }
    EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(StudySelection, EveryListedStudyHasItsFolder) {
    MakeStudyFolders(Path("images"), content_.exams);
    GetStudyList(config_, g_StudyList);
    ASSERT_FALSE(g_StudyList.empty());
    for (const auto& study : g_StudyList) {
        std::string relative(study->ImagePath().substr(1));
        std::replace(relative.begin(), relative.end(), '\\', '/');
        EXPECT_TRUE(std::filesystem::exists(Path("images") / relative / "IMG1.dcm")) << relative;
    }
}

TEST_F(StudySelection, RecordsCarryTheRowsValues) {
    ImageDatabaseContent extra;
    extra.patients.push_back({9001, "O'Brien", "Seán"});
    ExamRow exam;
    exam.examId = 77;
    exam.patientId = 9001;
    exam.imagePath = "\\1999\\0101\\ST77";
    exam.examDate = "1999-01-01 00:00:00";
    extra.exams.push_back(exam);
    InsertRows(Path("corvana.mdb"), extra);
    GetStudyList(config_, g_StudyList);
    ASSERT_FALSE(g_StudyList.empty());
    const StudyRecord& first = *g_StudyList.front();
    EXPECT_EQ(first.ExamId(), "77");
    EXPECT_EQ(first.Name(), "Seán O'Brien");
    EXPECT_EQ(first.ExamDate(), "01/01/1999");
    EXPECT_EQ(first.ImagePath(), "\\1999\\0101\\ST77");
    EXPECT_EQ(first.PatientId(), "9001");
    EXPECT_EQ(first.m_bUpdateDatabase, 1);
    EXPECT_EQ(first.m_bSelected + first.m_bDeleted + first.m_bArchived, 0);
    EXPECT_TRUE(first.LastName().empty() && first.ArchiveValue().empty());
    EXPECT_EQ(StudyCountStatus(g_StudyList.size()),
              std::to_string(g_StudyList.size()) + " studies to be archived");
}

TEST_F(StudySelection, MissingConnectionValuesKeepTheList) {
    GetStudyList(config_, g_StudyList);
    const std::size_t before = g_StudyList.size();
    ASSERT_GT(before, 0u);
    ArchiverConfig jet = config_;
    jet.m_strDatabaseFile.clear();
    GetStudyList(jet, g_StudyList);
    EXPECT_EQ(DebugText().find("Variable is empty"), std::string::npos);
    ArchiverConfig sql = config_;
    sql.m_strDbType = "SQL";
    sql.m_strSqlServer = "db1";
    GetStudyList(sql, g_StudyList);  // no database, no user
    ArchiverConfig oracle = sql;
    oracle.m_strDbType = "ORACLE";
    oracle.m_strSqlUser = "u";
    oracle.m_strSqlPassword.clear();
    GetStudyList(oracle, g_StudyList);
    EXPECT_EQ(g_StudyList.size(), before);
    const std::string debug = DebugText();
    const std::size_t first = debug.find("Variable is empty");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(debug.find("Variable is empty", first + 1), std::string::npos);
    EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(StudySelection, UnreachableDatabaseEmptiesTheListAndHidesThePassword) {
    GetStudyList(config_, g_StudyList);
    ASSERT_FALSE(g_StudyList.empty());
    ArchiverConfig missing = config_;
    missing.m_strDatabaseFile = Path("gone.mdb").string();
    missing.m_strSqlServer = "srv";
    GetStudyList(missing, g_StudyList);
    EXPECT_TRUE(g_StudyList.empty());
    EXPECT_EQ(StudyCountStatus(g_StudyList.size()), "No studies to be archived");
    const std::string cannotOpen = "Could not find file '" + Path("gone.mdb").string() + "'.";
    const auto errors = ErrorLines();
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], cannotOpen);  // adding the column
    EXPECT_EQ(errors[1], cannotOpen);  // the selection
    // The connection values follow on the entry's one line.
    EXPECT_EQ(errors[2], "database error  srv      ****");
    EXPECT_NE(DebugText().find("sql database  srv      ****\r\n"), std::string::npos);
    EXPECT_EQ(DebugText().find("Secret1"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(Path(kErrorLogFile)).find("Secret1"), std::string::npos);
}

TEST_F(StudySelection, MissingTableOrColumnIsLoggedAndListsNothing) {
    RunSqlite(Path("corvana.mdb"), {"DROP TABLE PATIENT"});
    GetStudyList(config_, g_StudyList);
    EXPECT_TRUE(g_StudyList.empty());
    auto errors = ErrorLines();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_NE(errors[0].find("no such table: PATIENT"), std::string::npos);
    EXPECT_EQ(errors[1], "database error");
}

TEST_F(StudySelection, DebugTraceOfASelection) {
    GetStudyList(config_, g_StudyList);
    const std::string debug = DebugText();
    std::size_t at = 0;
    for (const char* step :
         {"Add Archive PathToDB", "GetStudyList begin", "sql database", "GetStudyList 1\r\n",
          "GetStudyList 1b", "SELECT EXAM.IMAGE_PATH", "GetStudyList 1c", "GetStudyList 1d",
          "GetStudyList 2", "GetStudyList 3", "GetStudyList end"}) {
        at = debug.find(step, at);
        ASSERT_NE(at, std::string::npos) << step;
    }
    RunSqlite(Path("corvana.mdb"), {"UPDATE EXAM SET ARCHIVE_PATH = 'x'"});
    GetStudyList(config_, g_StudyList);
    EXPECT_TRUE(g_StudyList.empty());
    EXPECT_NE(DebugText().find("GetStudyList end(no records)"), std::string::npos);
    EXPECT_TRUE(ErrorLines().empty());
}

// The status line's number is the size of the list a run would work through, whatever the
// rows hold: paths missing, empty or the word NULL (dropped), blanks (kept), the oldest rows
// among them, and a cap below, at and above where they lie.
TEST_F(StudySelection, CountIsWhatTheListWouldHold) {
    // The four oldest waiting rows: no path, an empty one, the word NULL, blanks.
    const char* const paths[] = {"NULL", "''", "'NULL'", "'  '"};
    for (int i = 0; i < 4; ++i)
        RunSqlite(Path("corvana.mdb"),
                  {"UPDATE EXAM SET EXAM_DATE = '1990-01-0" + std::to_string(i + 1) +
                   " 08:00:00', IMAGE_PATH = " + paths[i] +
                   ", ARCHIVE_PATH = NULL, OLD_CVS = 0, PRELIM = 'p', READER = 'Dr. A' "
                   "WHERE EXAM_ID = " +
                   std::to_string(content_.exams[static_cast<std::size_t>(i)].examId)});
    const struct {
        const char* rows;
        std::vector<std::string> change;
    } variants[] = {
        {"some without a folder", {}},
        {"every one with a folder",
         {"UPDATE EXAM SET IMAGE_PATH = 'P' || EXAM_ID WHERE IMAGE_PATH IS NULL OR IMAGE_PATH "
          "IN ('', 'NULL')"}},
    };
    for (const auto& variant : variants) {
        RunSqlite(Path("corvana.mdb"), variant.change);
        for (const Criteria& c : kAllCriteria) {
            for (int cap : {1, 2, 3, 4, 5, 150, kMaxSelectedStudies}) {
                ArchiverConfig config = config_;
                config.m_bSendAll = c.sendAll, config.m_bReside = c.reside;
                config.m_bPrelim = c.prelim, config.m_bFinal = c.final;
                ASSERT_TRUE(GetStudyList(config, g_StudyList, cap));
                std::size_t count = 7;
                EXPECT_TRUE(CountWaitingStudies(config, count, cap));
                EXPECT_EQ(count, g_StudyList.size())
                    << variant.rows << ", cap " << cap << ", send all " << c.sendAll << " reside "
                    << c.reside << " prelim " << c.prelim << " final " << c.final;
            }
        }
    }
    EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(StudySelection, CountFailsWhereTheListFails) {
    const auto missingFile = [](ArchiverConfig& c) { c.m_strDatabaseFile.clear(); };
    const auto refusedColumn = [](ArchiverConfig& c) { c.m_strDbField = "EXAM_ID"; };
    const auto unreachable = [this](ArchiverConfig& c) {
        c.m_strDatabaseFile = Path("gone.mdb").string();
    };
    const struct {
        const char* why;
        std::function<void(ArchiverConfig&)> change;
        std::size_t countAfter;  // 9: left as it was
    } rows[] = {{"missing file name", missingFile, 9},
                {"refused column", refusedColumn, 0},
                {"unreachable file", unreachable, 0}};
    for (const auto& row : rows) {
        ArchiverConfig config = config_;
        row.change(config);
        std::size_t count = 9;
        EXPECT_FALSE(CountWaitingStudies(config, count)) << row.why;
        EXPECT_EQ(count, row.countAfter) << row.why;
    }
}

class ArchiveColumn : public DbTest {
  protected:
    void SetUp() override {
        ExamMix mix;
        mix.exams = 20;
        mix.archivedShare = 0;
        CreateImageDatabase(Path("corvana.mdb"), GenerateImageDatabaseContent(mix), false);
        config_.m_strDatabaseFile = Path("corvana.mdb").string();
        config_.m_strDbField = "Archive Path";
    }
    ArchiverConfig config_;
};

TEST_F(ArchiveColumn, AddedOnceWhenMissingWithoutErrorLines) {
    // Every column of the made schema is one the system itself uses: none is offered.
    EXPECT_TRUE(ListExamColumns(config_).empty());
    GetStudyList(config_, g_StudyList);
    EXPECT_EQ(g_StudyList.size(), 20u);
    GetStudyList(config_, g_StudyList);
    EXPECT_EQ(ListExamColumns(config_), std::vector<std::string>{"Archive Path"});
    EXPECT_TRUE(ErrorLines().empty());
    // The column is found whatever its spelling in the settings.
    config_.m_strDbField = "ARCHIVE PATH";
    AddArchiveColumn(config_);
    EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(ArchiveColumn, AnEmptyNameOrAColumnTheSystemUsesIsRefused) {
    ASSERT_TRUE(GetStudyList(config_, g_StudyList));
    const int columns = ExamColumnCount(Path("corvana.mdb"));
    for (const char* refused : {"", "exam_id", "IMAGE_PATH", "media type", "MEDIA_TYPE",
                                "Sonographer", "DOC_TO_READ", "x] Text(255); DROP TABLE EXAM"}) {
        config_.m_strDbField = "Archive Path";
        ASSERT_TRUE(GetStudyList(config_, g_StudyList));
        ASSERT_EQ(g_StudyList.size(), 20u);
        const std::size_t errors = ErrorLines().size();
        config_.m_strDbField = refused;
        EXPECT_FALSE(GetStudyList(config_, g_StudyList)) << refused;
        EXPECT_TRUE(g_StudyList.empty()) << refused;
        EXPECT_EQ(ErrorLines().size(), errors + 1) << refused;
    }
    EXPECT_EQ(ExamColumnCount(Path("corvana.mdb")), columns);
}

TEST_F(ArchiveColumn, UnreachableDatabaseListsNoColumns) {
    config_.m_strDatabaseFile = Path("none.mdb").string();
    EXPECT_TRUE(ListExamColumns(config_).empty());
    AddArchiveColumn(config_);
    EXPECT_EQ(ErrorLines().size(), 2u);  // one connect failure each, nothing of their own
}

}  // namespace

}  // namespace mirabel
