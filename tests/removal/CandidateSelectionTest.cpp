// The deletion candidates and the rules that select among them, on a SQLite image database, a
// "tempstudies.mdb", and the Oracle kind on the PostgreSQL server.
#include "app/WindowRun.h"
#include "removal/CandidateSelection.h"

#include <gtest/gtest.h>

#include <set>

#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/OdbcTestSetup.h"
#include "fixtures/PostgresServer.h"
#include "fixtures/RemovalSetup.h"
#include "log/Logs.h"
#include "removal/CandidateDetails.h"
#include "removal/DeletionCandidates.h"
#include "removal/MediaTypeArchive.h"

namespace mirabel {

namespace {

using Ids = std::set<std::string>;

Ids Ids_(const CandidateList& list) {
    Ids ids;
    for (const auto& record : list) ids.emplace(record.ExamId());
    return ids;
}

Ids Selected() {
    Ids ids;
    for (const CandidateList* list : {&g_ServerCandidates, &g_TempCandidates})
        for (const auto& record : *list)
            if (record.m_bSelected) ids.emplace(record.ExamId());
    return ids;
}

class CandidateSelection : public ::testing::Test {
  protected:
    void SetUp() override {
        auto add = [this](long id, const char* media, std::optional<int> oldCvs,
                          std::optional<std::string> archive, std::string date,
                          std::optional<std::string> imagePath = std::nullopt) {
            RemovalStudy study;
            study.examId = id;
            study.mediaType = media;
            study.oldCvs = oldCvs;
            study.archiveValue = std::move(archive);
            study.examDate = std::move(date);
            study.imagePath = std::move(imagePath);
            setup.Add(study);
        };
        add(1, "Image Server", 0, "NFS:lab:/a/1/", "2004-01-10 09:00:00");
        add(2, "Image Server", 1, "NFS:lab:/a/2/", "2004-01-09 09:00:00");
        add(3, "Image Server", std::nullopt, "NFS:lab:/a/3/", "2004-01-08 09:00:00");
        add(4, "Image Server", 0, std::nullopt, "2004-01-07 09:00:00");
        add(5, "TEMP", 1, "FTP:x:/t/5/", "2004-01-06 09:00:00");
        add(6, "Image Server", 0, "NFS:lab:/a/6/", "2004-01-05 09:00:00", "");
        add(7, "Image Server", 0, "NFS:lab:/a/7/", DaysAgo(1));
        add(8, "TEMP", 0, "FTP:x:/t/8/", "2004-01-04 09:00:00");
        add(9, "Image Server", 0, "REM:DVD:L1:/m/9/", "2003-12-31 09:00:00");
        setup.WriteTempStudies(
            {{5, DaysAgo(20)}, {9, DaysAgo(20)}, {8, DaysAgo(1)}, {999, DaysAgo(90)}});
    }

    RemovalSetup setup;
};

TEST_F(CandidateSelection, OnlyArchivedStudiesWithAFolderAreCandidatesOldestFirst) {
    SelectServerCandidates(WindowCandidates(), setup.config);
    SelectTempCandidates(WindowCandidates(), setup.config);
    ASSERT_EQ(g_ServerCandidates.size(), 3u);
    EXPECT_EQ(g_ServerCandidates[0].ExamId(), "9");
    EXPECT_EQ(g_ServerCandidates[1].ExamId(), "1");
    EXPECT_EQ(g_ServerCandidates[2].ExamId(), "7");
    const Candidate& first = g_ServerCandidates[0];
    // Its name is not kept with it, but read when it is shown.
    const CandidateDetails& details =
        DetailsFor(DetailsOfCandidates(setup.config, WindowCandidates(), false), "9");
    EXPECT_EQ(details.firstName + " " + details.lastName, "Ann Smith");
    EXPECT_EQ(first.ArchiveValue(), "REM:DVD:L1:/m/9/");
    EXPECT_EQ(first.ImagePath(), "\\2004\\ST9");
    EXPECT_EQ(Ids_(g_TempCandidates), (Ids{"5", "8"}));
    // Temporary studies carry their archive value too: their copy is checked before they go.
    for (const auto& temp : g_TempCandidates)
        EXPECT_EQ(temp.ArchiveValue(), "FTP:x:/t/" + std::string(temp.ExamId()) + "/");
    EXPECT_EQ(CountSelected(WindowCandidates()), 0);
    EXPECT_TRUE(setup.Errors().empty());
}

TEST_F(CandidateSelection, RulesSelectAndEveryPassStartsAfresh) {
    const struct {
        bool byDate;
        const char* days;
        bool tempDel;
        const char* tempDays;
        Ids selected;
    } cases[] = {
        {true, "0", false, "", {"1", "7", "9"}},
        {true, " 30 ", false, "", {"1", "9"}},
        {true, "", false, "", {}},
        {false, "0", false, "0", {}},
        {false, "", true, "10", {"5", "9"}},
        {false, "", true, "", {}},
        {true, "30", true, "0", {"1", "5", "8", "9"}},
    };
    for (const auto& c : cases) {
        // A selection made by hand is lost with the rebuild.
        for (auto& record : g_ServerCandidates) record.m_bSelected = 1;
        DeletionSettings rules;
        rules.m_bByDate = c.byDate;
        rules.m_strNumbDays = c.days;
        rules.m_bTempDel = c.tempDel;
        rules.m_strTempDays = c.tempDays;
        rules.m_strMaxDeletePercent = "100";
        EXPECT_TRUE(RunSelectionPass(WindowCandidates(), setup.config, rules).Clean());
        EXPECT_EQ(Selected(), c.selected) << c.days << " / " << c.tempDays;
    }
    EXPECT_TRUE(setup.Errors().empty());
}

// The five candidates are 1, 7 and 9 on the server and 5 and 8 temporary.
TEST_F(CandidateSelection, RefusedValuesSelectNothingAndTheBrakeHoldsBackTooMany) {
    const struct {
        const char* days;      // by date; nullptr: off
        const char* tempDays;  // by transfer date; nullptr: off
        const char* maxPercent;
        Ids selected;
        std::vector<std::string> problems;  // as the error log has them
    } cases[] = {
        {"30", nullptr, "50", {"1", "9"}, {}},
        {"36500", "10", "100", {"5", "9"}, {}},
        {"99999999999999",
         "10",
         "100",
         {"5", "9"},
         {"Auto-Delete By Date: \"99999999999999\" days is out of range (0 to 36500); the rule "
          "selects nothing"}},
        {"30",
         "-1",
         "50",
         {"1", "9"},
         {"Auto-Delete Temporary Studies: \"-1\" is not a whole number of days; the rule "
          "selects nothing"}},
        // Never read by leading digits: a typo for 90, text without digits.
        {"9O",
         nullptr,
         "100",
         {},
         {"Auto-Delete By Date: \"9O\" is not a whole number of days; the rule selects "
          "nothing"}},
        {"none",
         nullptr,
         "100",
         {},
         {"Auto-Delete By Date: \"none\" is not a whole number of days; the rule selects "
          "nothing"}},
        {"0", nullptr, "60", {"1", "7", "9"}, {}},
        {"0",
         nullptr,
         "59",
         {},
         {"Auto-Delete: the rules select 3 of 5 archived studies, more than \"Max Delete "
          "Percent\" (59) allows; no study is selected"}},
        {"30",
         nullptr,
         "0",
         {},
         {"Auto-Delete: the rules select 2 of 5 archived studies, more than \"Max Delete "
          "Percent\" (0) allows; no study is selected"}},
        {"30",
         nullptr,
         "half",
         {"1", "9"},
         {"Auto-Delete: \"Max Delete Percent\" is \"half\", not a whole number from 0 to 100; "
          "50 applies"}},
        {nullptr,
         nullptr,
         "101",
         {},
         {"Auto-Delete: \"Max Delete Percent\" is \"101\", not a whole number from 0 to 100; "
          "50 applies"}},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(setup.Work() / kErrorLogFile);
        DeletionSettings rules;
        rules.m_bByDate = c.days != nullptr;
        rules.m_strNumbDays = c.days ? c.days : "";
        rules.m_bTempDel = c.tempDays != nullptr;
        rules.m_strTempDays = c.tempDays ? c.tempDays : "";
        rules.m_strMaxDeletePercent = c.maxPercent;
        const SelectionOutcome outcome = RunSelectionPass(WindowCandidates(), setup.config, rules);
        EXPECT_EQ(Selected(), c.selected) << c.days << " / " << c.maxPercent;
        EXPECT_FALSE(outcome.failed);
        EXPECT_EQ(outcome.Problems(), c.problems);
        EXPECT_EQ(setup.Errors(), c.problems);
    }
}

TEST_F(CandidateSelection, FailuresAreLoggedAndTheRestOfThePassGoesOn) {
    std::filesystem::remove(setup.Work() / "tempstudies.mdb");
    DeletionSettings rules;
    rules.m_bByDate = rules.m_bTempDel = true;
    rules.m_strMaxDeletePercent = "100";
    EXPECT_TRUE(RunSelectionPass(WindowCandidates(), setup.config, rules).failed);
    EXPECT_EQ(Selected(), (Ids{"1", "7", "9"}));
    EXPECT_EQ(setup.Errors(), std::vector<std::string>{"Could not find file 'tempstudies.mdb'."});

    setup.config.m_strDatabaseFile = (setup.Work() / "gone.mdb").string();
    EXPECT_TRUE(RunSelectionPass(WindowCandidates(), setup.config, rules).failed);
    EXPECT_TRUE(g_ServerCandidates.empty());
    EXPECT_TRUE(g_TempCandidates.empty());
    EXPECT_EQ(CountSelected(WindowCandidates()), 0);
    // The layer's line and the pass's line for each of the three database operations, and
    // the temporary-study database once more.
    EXPECT_EQ(setup.Errors().size(), 1u + 3 * 2 + 1);
}

TEST(MarkCandidate, TheServerListWinsAndUnknownIdsAreIgnored) {
    RemovalSetup setup;
    for (auto* list : {&g_ServerCandidates, &g_TempCandidates})
        for (const char* id : {"4", "4", "5"}) list->Add(id, "", "");
    MarkCandidate(WindowCandidates(), "4");
    MarkCandidates(WindowCandidates(), {"5", "5", "6", "05"});
    EXPECT_EQ(g_ServerCandidates[0].m_bSelected, 1);
    EXPECT_EQ(g_ServerCandidates[1].m_bSelected, 0);
    EXPECT_EQ(g_ServerCandidates[2].m_bSelected, 1);
    EXPECT_EQ(CountSelected(WindowCandidates()), 2);
}

// Ids that come in the lists' order, out of it, twice, or not at all: the look-up in order finds
// what the table finds, the first record of the id, server list first.
TEST(CandidateIndex, InOrderFindsWhatTheTableFinds) {
    const struct {
        std::vector<const char*> server, temp, asked;
    } cases[] = {
        {{"1", "2", "3"}, {"4", "5"}, {"1", "4", "2", "5", "3", "9"}},
        {{"1", "2", "3"}, {"4"}, {"3", "1", "2", "3", "4", "4"}},
        {{"1", "2", "2"}, {"1", "3"}, {"1", "2", "2", "1", "3", "3"}},
        {{}, {"7"}, {"7", "", "8"}},
    };
    for (const auto& c : cases) {
        RemovalSetup setup;
        for (auto [list, ids] :
             {std::pair{&g_ServerCandidates, c.server}, {&g_TempCandidates, c.temp}})
            for (const char* id : ids) list->Add(id, "", "");
        CandidateIndex index(WindowCandidates());
        for (const char* id : c.asked) {
            const Candidate* expected = nullptr;
            for (auto* list : {&g_ServerCandidates, &g_TempCandidates})
                for (const auto& record : *list)
                    if (!expected && record.ExamId() == id) expected = &record;
            EXPECT_EQ(index.Find(id), expected) << id;
            EXPECT_EQ(index.FindInOrder(id), expected) << id;
        }
    }
}

TEST(OracleKindCandidates, MediaTypeIsNamedWithoutABlankWhenReadingAndWriting) {
    RemovalSetup setup;
    const PostgresServer& server = PostgresServer::Instance();
    ImageDatabaseContent content;
    content.patients.push_back({1, "Lind", "Eva"});
    for (long id : {31, 32}) {
        ExamRow exam;
        exam.examId = id;
        exam.patientId = 1;
        exam.imagePath = "\\2004\\ST" + std::to_string(id);
        exam.examDate = "2004-02-0" + std::to_string(id - 30) + " 08:00:00";
        exam.archiveValue = "NFS:lab:/a/";
        exam.mediaType = id == 31 ? "Image Server" : "TEMP";
        content.exams.push_back(exam);
    }
    std::string sql = "DROP TABLE IF EXISTS EXAM; DROP TABLE IF EXISTS PATIENT;";
    for (const std::string& statement : ImageDatabaseSchema(true, true)) sql += statement + ";";
    for (const std::string& statement : ServerInsertStatements(content)) sql += statement + ";";
    server.Run(sql);
    ArchiverConfig& config = setup.config;
    config.m_strDbType = "ORACLE";
    config.m_strSqlServer = kPostgresDsn;
    config.m_strSqlUser = kPostgresUser;
    config.m_strSqlPassword = kPostgresPassword;

    DeletionSettings rules;
    rules.m_bByDate = true;
    EXPECT_TRUE(RunSelectionPass(WindowCandidates(), config, rules).Clean());
    EXPECT_EQ(Ids_(g_ServerCandidates), Ids{"31"});
    EXPECT_EQ(Ids_(g_TempCandidates), Ids{"32"});
    EXPECT_EQ(Selected(), Ids{"31"});
    // One connection for several rows, as a deletion pass keeps it.
    ExamRowWriter rows(config, "corvanadelete");
    EXPECT_EQ(SetMediaTypeArchive(rows, config, "31"), 1);
    EXPECT_EQ(SetMediaTypeArchive(rows, config, "33"), 0);  // no such row
    EXPECT_EQ(SetMediaTypeArchive(rows, config, "32"), 1);
    SelectServerCandidates(WindowCandidates(), config);
    SelectTempCandidates(WindowCandidates(), config);
    EXPECT_TRUE(g_ServerCandidates.empty());
    EXPECT_TRUE(g_TempCandidates.empty());
    EXPECT_TRUE(setup.Errors().empty()) << ::testing::PrintToString(setup.Errors());
}

}  // namespace

}  // namespace mirabel
