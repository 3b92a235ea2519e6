// An empty or blank archive value is no archive: the waiting-study count, the manual search and
// the deletion candidates agree on every study, on a SQLite file and on the PostgreSQL server as
// the Oracle kind (where the engine's own rules for '' differ).
#include "app/WindowRun.h"
#include "db/ArchiveValue.h"

#include <gtest/gtest.h>

#include <set>

#include "db/DbTestSupport.h"
#include "db/WaitingStudyCount.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/OdbcTestSetup.h"
#include "fixtures/PostgresServer.h"
#include "removal/CandidateSelection.h"
#include "removal/DeletionCandidates.h"
#include "selection/ManualArchiveSelection.h"
#include "selection/ResultLine.h"

namespace mirabel {

namespace {

using Ids = std::set<std::string>;

// Exam id and archive value; nullopt is NULL.
const std::pair<long, std::optional<std::string>> kValues[] = {
    {1, std::nullopt}, {2, ""}, {3, "   "}, {4, "NFS:lab:/a/4/"}, {5, " FTP:x:/5/ "}};
const Ids kArchived = {"4", "5"};
const Ids kNotArchived = {"1", "2", "3"};

ImageDatabaseContent Studies() {
    ImageDatabaseContent content;
    content.patients.push_back({1, "Lind", "Eva"});
    for (const auto& [id, value] : kValues) {
        ExamRow exam;
        exam.examId = id;
        exam.patientId = 1;
        exam.imagePath = "\\2004\\ST" + std::to_string(id);
        exam.examDate = "2004-02-0" + std::to_string(id) + " 08:00:00";
        exam.archiveValue = value;
        content.exams.push_back(exam);
    }
    return content;
}

// Each of the three views of the same rows.
void ExpectAllThreeAgree(const ArchiverConfig& config) {
    std::size_t waiting = 0;
    EXPECT_TRUE(CountWaitingStudies(config, waiting));
    EXPECT_EQ(waiting, kNotArchived.size());

    ManualArchiveSelection search;
    search.Search(config, {.m_bNonArchivedOnly = true});
    Ids found;
    for (const SearchResult& result : search.Results()) found.insert(result.m_strExamId);
    EXPECT_EQ(found, kNotArchived);
    search.Search(config, {.m_bNonArchivedOnly = false});
    Ids shownArchived;
    for (const SearchResult& result : search.Results())
        if (ResultLine(result).ends_with(" Y")) shownArchived.insert(result.m_strExamId);
    EXPECT_EQ(shownArchived, kArchived);

    SelectServerCandidates(WindowCandidates(), config);
    Ids candidates;
    for (const auto& record : g_ServerCandidates) candidates.emplace(record.ExamId());
    EXPECT_EQ(candidates, kArchived);
    WindowCandidates() = {};
}

class BlankArchiveValue : public DbTest {};

TEST_F(BlankArchiveValue, IsNotAnArchiveForTheCountTheSearchAndTheCandidates) {
    ArchiverConfig sqlite;
    sqlite.m_strDbField = "ARCHIVE_PATH";
    sqlite.m_strDatabaseFile = Path("echo.db").string();
    CreateImageDatabase(sqlite.m_strDatabaseFile, Studies());
    ExpectAllThreeAgree(sqlite);

    PostgresServer::Instance().LoadImageDatabase(Studies());
    ArchiverConfig oracle = sqlite;
    oracle.m_strDbType = "ORACLE";
    oracle.m_strSqlServer = kPostgresDsn;
    oracle.m_strSqlUser = kPostgresUser;
    oracle.m_strSqlPassword = kPostgresPassword;
    ExpectAllThreeAgree(oracle);
    EXPECT_TRUE(ErrorLines().empty()) << ::testing::PrintToString(ErrorLines());
}

}  // namespace

}  // namespace mirabel
