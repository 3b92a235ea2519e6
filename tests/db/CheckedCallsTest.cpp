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

}  // namespace

}  // namespace mirabel
