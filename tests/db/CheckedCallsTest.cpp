// The throwing calls above the connection layer: a failed call raises DatabaseError with the
// reason the layer logged, and the error log holds that reason once.
#include "db/CheckedCalls.h"

#include <functional>

#include "db/DbTestSupport.h"
#include "fixtures/ImageDatabaseMaker.h"

namespace mirabel {

namespace {

class CheckedCalls : public DbTest {
  protected:
    void SetUp() override {
        RunSqlite(Path("echo.mdb"), {"CREATE TABLE EXAM (EXAM_ID INTEGER PRIMARY KEY, A TEXT)",
                                     "INSERT INTO EXAM VALUES (1, 'a')"});
        config.m_strDatabaseFile = Path("echo.mdb").string();
    }

    CAdoDatabase* Connected() { return checked::ConnectImage(handles, "corvana", config); }
    CAdoRecordset* Opened(const std::string& statement) {
        CAdoRecordset* rs = handles.NewRecordset("echorec", Connected());
        checked::OpenRecordset(rs, statement);
        return rs;
    }

    ArchiverConfig config;
    HandleScope handles;
    std::vector<std::string> out;
};

TEST_F(CheckedCalls, AFailedCallRaisesTheLoggedReasonOnce) {
    const std::string all = "SELECT * FROM EXAM";
    const struct {
        const char* call;
        std::function<void()> run;
        std::string reason;  // how the reason starts
    } cases[] = {
        {"ConnectImage",
         [&] {
             config.m_strDatabaseFile = Path("missing.mdb").string();
             Connected();
         },
         ""},
        {"ExpectManyCommits", [&] { checked::ExpectManyCommits(nullptr); }, kObjectClosedText},
        {"OpenRecordset", [&] { Opened("SELECT * FROM Nowhere"); }, "SELECT * FROM Nowhere : "},
        {"GetRows", [&] { checked::GetRows(Opened(all), {"B"}, out, 9); }, kItemNotFoundText},
        {"GetColumnByIndex", [&] { checked::GetColumnByIndex(Opened(all), 5, out, 9); },
         kItemNotFoundText},
        {"MoveToRow", [&] { checked::MoveToRow(Opened(all), 3); }, kNoCurrentRowText},
        {"GetFieldCount",
         [&] { checked::GetFieldCount(handles.NewRecordset("echorec", Connected())); },
         kObjectClosedText},
        {"GetFieldValue", [&] { checked::GetFieldValue(Opened(all), 2); }, kItemNotFoundText},
        {"GetFieldName", [&] { checked::GetFieldName(Opened(all), -1); }, kItemNotFoundText},
        {"SetRowField", [&] { checked::SetRowField(Connected(), "EXAM", "EXAM_ID", "1", "B", ""); },
         ""},
        {"ProveRowWritable",
         [&] { checked::ProveRowWritable(nullptr, "EXAM", "EXAM_ID", "1", "A"); },
         kObjectClosedText},
    };
    for (const auto& c : cases) {
        const std::size_t logged = ErrorLines().size();
        try {
            c.run();
            ADD_FAILURE() << c.call << " did not throw";
        } catch (const DatabaseError& failure) {
            EXPECT_STREQ(failure.what(), "database error") << c.call;
            EXPECT_TRUE(failure.Logged()) << c.call;
            EXPECT_FALSE(failure.Reason().empty()) << c.call;
            EXPECT_TRUE(failure.Reason().starts_with(c.reason))
                << c.call << ": " << failure.Reason();
            const std::vector<std::string> lines = ErrorLines();
            ASSERT_EQ(lines.size(), logged + 1) << c.call;
            EXPECT_EQ(lines.back(), failure.Reason()) << c.call;
        }
        // The flag stays the bottom layer's answer.
        EXPECT_EQ(g_bDbError, 1) << c.call;
        config.m_strDatabaseFile = Path("echo.mdb").string();
    }
}

TEST_F(CheckedCalls, AnEarlierFailureDoesNotFailTheNextCall) {
    CAdoRecordset* rs = handles.NewRecordset("echorec", Connected());
    // The layer's own calls: the recordset is not open yet. Neither of the two calls below
    // clears the flag in the layer.
    GetFieldCount(rs);
    ASSERT_EQ(g_bDbError, 1);
    EXPECT_NO_THROW(checked::OpenRecordset(rs, "SELECT * FROM EXAM"));
    GetFieldCount(nullptr);
    EXPECT_EQ(checked::GetRows(rs, {}, out, 9), 0);
    EXPECT_EQ(checked::GetRows(rs, {"A"}, out, 9), 1);
    EXPECT_EQ(out, std::vector<std::string>{"a"});
}

// Several rows written in one commit: a row that is gone is reported as such and does not keep
// the others from being written; a failing change writes none of them.
TEST_F(CheckedCalls, RowsWrittenTogetherAreWrittenAllOrNone) {
    RunSqlite(Path("echo.mdb"), {"INSERT INTO EXAM VALUES (2, 'b')"});
    const struct {
        std::vector<std::pair<std::string, std::string>> values;
        std::vector<long> changed;  // empty: the call fails
        const char* rows;           // the A column of rows 1 and 2 afterwards
    } cases[] = {
        {{{"1", "x"}, {"2", "y"}}, {1, 1}, "x y"},
        {{{"9", "z"}, {"1", "w"}}, {0, 1}, "w y"},
        // The second change matches two rows: the first change is undone too.
        {{{"2", "v"}, {"1 OR EXAM_ID = 2", "u"}}, {}, "w y"},
    };
    for (const auto& c : cases) {
        try {
            EXPECT_EQ(checked::SetRowFields(Connected(), "EXAM", "EXAM_ID", "A", c.values),
                      c.changed);
        } catch (const DatabaseError&) {
            EXPECT_TRUE(c.changed.empty()) << c.rows;
        }
        checked::GetColumnByIndex(Opened("SELECT A FROM EXAM ORDER BY EXAM_ID"), 0, out, 9);
        EXPECT_EQ(out.at(0) + " " + out.at(1), c.rows);
        out.clear();
    }
}

}  // namespace

}  // namespace mirabel
