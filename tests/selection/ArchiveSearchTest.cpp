// The manual search: its statement, what the operator may type into it, the lines it shows, and
// what it finds in real image databases (SQLite, and PostgreSQL behind ODBC as the Oracle kind).
#include "selection/ArchiveSearch.h"

#include <gtest/gtest.h>

#include "db/DbTestSupport.h"
#include "fixtures/OdbcTestSetup.h"
#include "fixtures/PostgresServer.h"
#include "fixtures/SearchDatabase.h"
#include "selection/ManualArchiveSelection.h"
#include "selection/ResultLine.h"
#include "selection/SearchValues.h"

namespace mirabel {

namespace {

const std::string kSelect =
    "SELECT [PATIENT].[NAME_L], [PATIENT].[IUH_ID] , [PATIENT].[NAME_F], [EXAM].[EXAM_DATE], "
    "[EXAM].[EXAM_TYPE], [EXAM].[ARCHIVE_PATH], [EXAM].[IMAGE_PATH] , [EXAM].[EXAM_ID] , "
    "[PATIENT].[PAT_ID] FROM EXAM, PATIENT WHERE ";

TEST(ArchiveSearchStatement, ConditionsInTheirOrderWithTypedQuotesDoubled) {
    struct Case {
        SearchForm form;
        std::string where;
    } cases[] = {
        {{.m_bNonArchivedOnly = false},
         "(([PATIENT].PAT_ID = [EXAM].PAT_ID) AND (EXAM.OLD_CVS <> 1))"},
        {{"Jo", "O'Brien", "12", "01/01/2004", "01/31/2004", true},
         "(([PATIENT].PAT_ID = [EXAM].PAT_ID) AND ([PATIENT].[NAME_F] Like 'Jo*') AND "
         "([PATIENT].[NAME_L] Like 'O''Brien*') AND ([PATIENT].[IUH_ID] Like '12*') AND "
         "([EXAM].[EXAM_DATE] >= #01/01/2004#) AND ([EXAM].[EXAM_DATE] <= #01/31/2004 23:59#) AND "
         "((([EXAM].[ARCHIVE_PATH] Is Null) OR (LTRIM(RTRIM([EXAM].[ARCHIVE_PATH])) = ''))) AND "
         "(EXAM.OLD_CVS <> 1))"},
        // Delimiters of the dialect translation cannot reach the statement as such.
        {{.m_strLastName = "a#[b]'--", .m_bNonArchivedOnly = false},
         "(([PATIENT].PAT_ID = [EXAM].PAT_ID) AND ([PATIENT].[NAME_L] Like 'a__b_''--*') AND "
         "(EXAM.OLD_CVS <> 1))"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildArchiveSearchStatement(c.form, "ARCHIVE_PATH", DatabaseKind::Jet),
                  kSelect + c.where + " ORDER BY EXAM.EXAM_DATE DESC");
}

TEST(ArchiveSearchStatement, OnlyCalendarDaysAreDates) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"01/31/2004", "01/31/2004"},  {" 1/5/2004 ", "01/05/2004"},
        {"02/29/2004", "02/29/2004"},  {"02/29/2003", std::nullopt},
        {"13/01/2004", std::nullopt},  {"00/10/2004", std::nullopt},
        {"01/31/04", std::nullopt},    {"01/31/2004 10:00", std::nullopt},
        {"tomorrow", std::nullopt},    {"01/31/2004#) OR (1=1", std::nullopt},
        {"01/31/00000", std::nullopt},
    };
    for (const auto& [typed, date] : cases) EXPECT_EQ(SearchDate(typed), date) << typed;
}

TEST(ArchiveSearchLines, ColumnsArePaddedAndCutByCharacters) {
    auto result = [](std::string last, std::string first, std::string mrn, std::string date,
                     std::string type, std::string archive) {
        SearchResult r;
        r.m_strLastName = last;
        r.m_strFirstName = first;
        r.m_strMrn = mrn;
        r.m_strExamDate = date;
        r.m_strExamType = type;
        r.m_strArchiveValue = archive;
        return r;
    };
    const std::pair<SearchResult, std::string> cases[] = {
        {result("O'Brien", "Mary", "A100", "01/01/2004", "ECHO", ""),
         "O'Brien, Mary            A100           01/01/2004         ECHO        N"},
        {result("Vandenberghe-Oosterhout", "Maximiliaan", "1234567890123456789", "01/31/2004 23:59",
                "STRESS", "NFS:lab:/a/"),
         "Vandenberghe-Oosterhout  1234567890123  01/31/2004 23:59   STRESS      Y"},
        {result("M\u00fcller", "J\u00fcrgen", "B200", "01/15/2004 10:30", "TEE", "x"),
         "M\u00fcller, J\u00fcrgen           B200           01/15/2004 10:30   TEE         Y"},
        // A cut never splits a letter: the line stays valid text.
        {result("\u00c5\u00c5\u00c5\u00c5\u00c5\u00c5\u00c5\u00c5\u00c5\u00c5\u00c5\u00c5",
                "\u00d8\u00d8\u00d8\u00d8\u00d8\u00d8\u00d8\u00d8\u00d8\u00d8", "", "", "", ""),
         "\u00c5\u00c5\u00c5\u00c5\u00c5\u00c5\u00c5\u00c5\u00c5\u00c5\u00c5\u00c5, "
         "\u00d8\u00d8\u00d8\u00d8\u00d8\u00d8\u00d8\u00d8\u00d8" +
             std::string(47, ' ') + " N"},
    };
    for (const auto& [found, line] : cases) EXPECT_EQ(ResultLine(found), line);
}

// One search and what it should find, newest exam first (exam ids of SearchTestContent).
struct ExpectedSearch {
    SearchForm form;
    std::vector<std::string> examIds;
};

const ExpectedSearch kSearches[] = {
    {{}, {"104", "103", "108", "106", "101", "102"}},
    {{.m_bNonArchivedOnly = false}, {"104", "103", "109", "108", "106", "105", "101", "102"}},
    {{.m_strLastName = "O'B"}, {"101", "102"}},
    {{.m_strLastName = "Ob"}, {"104", "103"}},
    {{.m_strLastName = "M\u00fc", .m_bNonArchivedOnly = false}, {"105"}},
    {{.m_strLastName = "Mu", .m_bNonArchivedOnly = false}, {"106"}},
    {{.m_strFirstName = "Ann", .m_bNonArchivedOnly = false}, {"109", "108"}},
    {{.m_strMrn = "A100"}, {"104", "103", "101", "102"}},
    {{.m_strMrn = "A1001"}, {"104", "103"}},
    {{.m_strDateFrom = "01/01/2004", .m_strDateTo = "01/31/2004"}, {"103", "108", "106", "101"}},
    {{.m_strDateFrom = "1/16/2004", .m_strDateTo = "1/16/2004"}, {"106"}},
    // A delimiter of the dialect translation stands for any one character.
    {{.m_strLastName = "O[B"}, {"101", "102"}},
};

std::vector<std::string> ExamIdsOf(const ManualArchiveSelection& selection) {
    std::vector<std::string> ids;
    for (const SearchResult& found : selection.Results()) ids.push_back(found.m_strExamId);
    return ids;
}

// Runs every search of kSearches; a failure shows the statement and the error log.
void ExpectEverySearchFinds(ManualArchiveSelection& selection, const ArchiverConfig& config) {
    for (const ExpectedSearch& search : kSearches) {
        EXPECT_EQ(selection.Search(config, search.form), SearchOutcome::Searched);
        EXPECT_EQ(ExamIdsOf(selection), search.examIds)
            << BuildArchiveSearchStatement(search.form, "ARCHIVE_PATH", config.DbKind()) << "\n"
            << ReadFileBytes(kErrorLogFile);
    }
}

class ArchiveSearchOnSqlite : public DbTest {
  protected:
    void SetUp() override {
        CreateImageDatabase(Path("echo.db"), SearchTestContent());
        config_.m_strDatabaseFile = Path("echo.db").string();
        config_.m_strDbField = "ARCHIVE_PATH";
    }
    ArchiverConfig config_;
    ManualArchiveSelection selection_;
};

TEST_F(ArchiveSearchOnSqlite, FindsByNamesMrnDatesAndArchiveState) {
    ExpectEverySearchFinds(selection_, config_);
    ASSERT_EQ(selection_.Search(config_, {.m_strLastName = "M\u00fc", .m_bNonArchivedOnly = false}),
              SearchOutcome::Searched);
    const SearchResult& found = selection_.Results().at(0);
    EXPECT_EQ(found.m_strFirstName, "J\u00fcrgen");
    EXPECT_EQ(found.m_strMrn, "B200");
    EXPECT_EQ(found.m_strExamDate, "01/15/2004 10:30");
    EXPECT_EQ(found.m_strExamType, "ECHO");
    EXPECT_EQ(found.m_strArchiveValue, kEarlierArchiveValue);
    EXPECT_EQ(found.m_strImagePath, "\\2004\\ST105");
    EXPECT_EQ(found.m_strPatientId, "3");
    EXPECT_TRUE(ErrorLines().empty()) << ::testing::PrintToString(ErrorLines());
}

TEST_F(ArchiveSearchOnSqlite, ReadsAtMost5000StudiesNewestFirst) {
    ExamMix mix;
    mix.exams = kMaxSearchResults + 3;
    mix.archivedShare = mix.oldCvsShare = mix.nullImagePathShare = 0;
    CreateImageDatabase(Path("big.db"), GenerateImageDatabaseContent(mix));
    config_.m_strDatabaseFile = Path("big.db").string();

    ASSERT_EQ(selection_.Search(config_, {}), SearchOutcome::Searched);
    ASSERT_EQ(selection_.Results().size(), static_cast<std::size_t>(kMaxSearchResults));
    // The generated exam ids run against the dates: the newest exam is 1000.
    EXPECT_EQ(selection_.Results().front().m_strExamId, "1000");
    EXPECT_EQ(selection_.Results().back().m_strExamId, "5999");
}

TEST_F(ArchiveSearchOnSqlite, IncompleteOrBadInputKeepsTheEarlierResult) {
    struct Case {
        const char* what;
        std::function<void(ArchiverConfig&)> change;
        SearchForm form;
        SearchOutcome outcome;
        bool resultKept;
    } cases[] = {
        {"no database file",
         [](ArchiverConfig& c) { c.m_strDatabaseFile.clear(); },
         {},
         SearchOutcome::ConnectionIncomplete,
         true},
        {"no server name",
         [](ArchiverConfig& c) {
             c.m_strDbType = "SQL";
             c.m_strSqlDb = "corvana";
             c.m_strSqlUser = "sa";
         },
         {},
         SearchOutcome::ConnectionIncomplete,
         true},
        {"Date From not a date",
         [](ArchiverConfig&) {},
         {.m_strDateFrom = "31.01.2004"},
         SearchOutcome::DateFromNotADate,
         true},
        {"Date To not a date",
         [](ArchiverConfig&) {},
         {.m_strDateTo = "01/32/2004"},
         SearchOutcome::DateToNotADate,
         true},
        {"archive column the system reads",
         [](ArchiverConfig& c) { c.m_strDbField = "IMAGE_PATH"; },
         {},
         SearchOutcome::DatabaseFailed,
         false},
        {"database file missing on disk",
         [this](ArchiverConfig& c) { c.m_strDatabaseFile = Path("gone.db").string(); },
         {},
         SearchOutcome::DatabaseFailed,
         false},
        {"unreachable server",
         [](ArchiverConfig& c) {
             c.m_strDbType = "ORACLE";
             c.m_strSqlServer = "MirabelNoSuchSource";
             c.m_strSqlUser = "u";
             c.m_strSqlPassword = "p";
         },
         {},
         SearchOutcome::DatabaseFailed,
         false},
    };
    const std::vector<std::string> earlier = {"101", "102"};
    for (const Case& c : cases) {
        ArchiverConfig config = config_;
        ASSERT_EQ(selection_.Search(config, {.m_strLastName = "O'B"}), SearchOutcome::Searched);
        c.change(config);
        EXPECT_EQ(selection_.Search(config, c.form), c.outcome) << c.what;
        EXPECT_EQ(ExamIdsOf(selection_), c.resultKept ? earlier : std::vector<std::string>())
            << c.what;
        EXPECT_EQ(selection_.SearchFailure().empty(), c.outcome != SearchOutcome::DatabaseFailed)
            << c.what;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("gone.db")));
}

class ArchiveSearchOnOracleKind : public DbTest {
  protected:
    void SetUp() override {
        // No server, no test: the exception fails the test with the server's log.
        server_ = &PostgresServer::Instance();
        server_->LoadImageDatabase(SearchTestContent());
        config_.m_strDbType = "ORACLE";
        config_.m_strSqlServer = kPostgresDsn;
        config_.m_strSqlUser = kPostgresUser;
        config_.m_strSqlPassword = kPostgresPassword;
        config_.m_strDbField = "ARCHIVE_PATH";
    }
    PostgresServer* server_ = nullptr;
    ArchiverConfig config_;
    ManualArchiveSelection selection_;
};

TEST_F(ArchiveSearchOnOracleKind, FindsTheSameStudiesThroughTheTranslatedStatement) {
    ExpectEverySearchFinds(selection_, config_);
    const std::string log = server_->ServerLog();
    EXPECT_NE(log.find("(PATIENT.NAME_L Like 'O''B%')"), std::string::npos);
    EXPECT_NE(log.find("(EXAM.EXAM_DATE <= TO_DATE('01/31/2004 23:59', 'MM/DD/YYYY HH24:MI'))"),
              std::string::npos);
    EXPECT_NE(log.find("((NULLIF(LTRIM(RTRIM(EXAM.ARCHIVE_PATH)), '') IS NULL))"),
              std::string::npos);
}

}  // namespace

}  // namespace mirabel
