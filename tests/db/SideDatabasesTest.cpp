// The label database and the temporary-study database, as SQLite files under their names.
#include <sqlite3.h>

#include <chrono>
#include <future>
#include <thread>

#include "db/DaoDatabase.h"
#include "db/DbTestSupport.h"
#include "db/LabelDatabase.h"
#include "db/SqliteHandles.h"
#include "fixtures/ImageDatabaseMaker.h"

namespace mirabel {

namespace {

class LabelDatabase : public DbTest {
  protected:
    void SetUp() override {
        RunSqlite(Path(kLabelDatabaseFile),
                  {"CREATE TABLE Labels (Label VARCHAR(255), Note VARCHAR(20))",
                   "INSERT INTO Labels (Label) VALUES ('CARD0001'), ('CARD0002'), ('CARD0002'), "
                   "('AB*')"});
    }
    int Rows() {
        GetNewDatabase("count");
        OpenAccessDatabase(FindConnection("count"), kLabelDatabaseFile, "");
        CAdoRecordset* rs = GetNewRecordset("countrec", FindConnection("count"));
        OpenRecordset(rs, "SELECT * FROM Labels");
        std::vector<std::string> labels;
        return GetColumn(rs, "Label", labels, 1000);
    }
};

TEST_F(LabelDatabase, FindsRegisteredLabelsOnly) {
    EXPECT_EQ(LabelExists("CARD0001"), 1);
    EXPECT_EQ(LabelExists("CARD0002"), 1);  // registered twice, found once
    EXPECT_EQ(LabelExists("CARD0003"), 0);
    EXPECT_EQ(LabelExists("card0001"), 0);  // the database's own = decides
    // The trailing star becomes the LIKE wildcard before the lookup: not found.
    EXPECT_EQ(LabelExists("AB*"), 0);
    EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(LabelDatabase, LabelsWithQuotesAreFoundAndAdded) {
    EXPECT_EQ(LabelExists("O'Hara's 1"), 0);
    EXPECT_EQ(AddLabel("O'Hara's 1"), 1);
    EXPECT_EQ(LabelExists("O'Hara's 1"), 1);
    EXPECT_EQ(LabelExists("O'Hara"), 0);
    EXPECT_EQ(Rows(), 5);
    EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(LabelDatabase, AddLabelAddsOneRowAndSwitchesOracleSyntaxOff) {
    g_bOracleSyntax = 1;
    EXPECT_EQ(AddLabel("CARD0003"), 1);
    EXPECT_EQ(g_bOracleSyntax, 0);
    EXPECT_EQ(LabelExists("CARD0003"), 1);
    EXPECT_EQ(Rows(), 5);
}

TEST_F(LabelDatabase, MissingFileOrTableAnswersNo) {
    RunSqlite(Path(kLabelDatabaseFile), {"DROP TABLE Labels"});
    EXPECT_EQ(LabelExists("CARD0001"), 0);
    EXPECT_EQ(AddLabel("CARD0001"), 0);
    EXPECT_EQ(ErrorLines().size(), 2u);
    std::filesystem::remove(Path(kLabelDatabaseFile));
    EXPECT_EQ(LabelExists("CARD0001"), 0);
    EXPECT_EQ(AddLabel("CARD0001"), 0);
    EXPECT_FALSE(std::filesystem::exists(Path(kLabelDatabaseFile)));  // never created
    const auto errors = ErrorLines();
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_EQ(errors[3], "Could not find file 'remlabels.mdb'.");
}

class TempStudies : public DbTest {
  protected:
    void SetUp() override {
        RunSqlite(Path(kTempStudiesDatabaseFile),
                  {"CREATE TABLE TempStudies (EXAM_ID INTEGER, \"Transfer Date\" DATETIME)",
                   "INSERT INTO TempStudies VALUES (11, '2004-03-05 10:00:00'), "
                   "(12, '2004-03-01 09:00:00'), (13, NULL), (14, '2004-03-07 14:05:00')"});
    }

    // The temporary-study read as the deletion candidates perform it.
    std::vector<std::string> ReadBefore(const std::string& cutoff, const std::string& file,
                                        const std::string& field = "EXAM_ID") {
        auto db = CreateDaoDatabase();
        OpenDaoDatabase(*db, file, "");
        auto rs = CreateDaoRecordset(*db);
        OpenDaoRecordset(*rs,
                         "SELECT TempStudies.* FROM TempStudies WHERE ((TempStudies.[Transfer "
                         "Date] < #" +
                             cutoff + "#)) ORDER BY TempStudies.[Transfer Date]");
        std::vector<std::string> ids;
        GetDaoColumn(*rs, field, ids, 500000);
        CloseDaoRecordset(*rs);
        CloseDaoDatabase(*db);
        return ids;
    }
};

TEST_F(TempStudies, ExamsTransferredBeforeTheCutoffInTransferOrder) {
    EXPECT_EQ(ReadBefore("03/07/2004 14:05", kTempStudiesDatabaseFile),
              (std::vector<std::string>{"12", "11"}));
    EXPECT_TRUE(ReadBefore("01/01/2004 00:00", kTempStudiesDatabaseFile).empty());
    EXPECT_EQ(ReadBefore("12/31/2004 00:00", kTempStudiesDatabaseFile).size(), 3u);  // not null
}

TEST_F(TempStudies, FailuresAreThrownAndNotLogged) {
    EXPECT_THROW(ReadBefore("03/07/2004 14:05", "missing.mdb"), DaoException);
    EXPECT_THROW(ReadBefore("03/07/2004 14:05", kTempStudiesDatabaseFile, "NoSuchField"),
                 DaoException);
    // An empty result is read before the field is looked for.
    EXPECT_NO_THROW(ReadBefore("01/01/2004 00:00", kTempStudiesDatabaseFile, "NoSuchField"));
    RunSqlite(Path(kTempStudiesDatabaseFile), {"DROP TABLE TempStudies"});
    EXPECT_THROW(ReadBefore("03/07/2004 14:05", kTempStudiesDatabaseFile), DaoException);
    EXPECT_FALSE(std::filesystem::exists(Path(kErrorLogFile)));
}

// Another program holding a file locked, from another thread, for the time given.
class FileHeldLocked {
  public:
    FileHeldLocked(const std::filesystem::path& file, std::chrono::milliseconds duration) {
        std::promise<void> locked;
        thread_ = std::thread([file, duration, &locked] {
            sqlite3* raw = nullptr;
            sqlite3_open(file.c_str(), &raw);
            SqliteDatabaseHandle holder(raw);
            sqlite3_exec(raw, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
            locked.set_value();
            std::this_thread::sleep_for(duration);
        });
        locked.get_future().wait();
    }
    ~FileHeldLocked() { thread_.join(); }

  private:
    std::thread thread_;
};

// Held longer than the image-system database would wait, the side databases still answer.
TEST_F(TempStudies, SideDatabasesWaitForAFileAnotherProgramHolds) {
    RunSqlite(Path(kLabelDatabaseFile), {"CREATE TABLE Labels (Label VARCHAR(255))",
                                         "INSERT INTO Labels VALUES ('CARD0001')"});
    const struct {
        const char* file;
        std::function<bool()> answers;
    } cases[] = {
        {kLabelDatabaseFile, [] { return LabelExists("CARD0001") == 1; }},
        {kTempStudiesDatabaseFile,
         [this] { return ReadBefore("03/07/2004 14:05", kTempStudiesDatabaseFile).size() == 2; }},
    };
    for (const auto& side : cases) {
        FileHeldLocked held(Path(side.file), std::chrono::milliseconds(2000));
        EXPECT_TRUE(side.answers()) << side.file;
    }
    EXPECT_TRUE(ErrorLines().empty()) << ::testing::PrintToString(ErrorLines());
}

}  // namespace

}  // namespace mirabel
