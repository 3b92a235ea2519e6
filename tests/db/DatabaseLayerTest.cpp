// The connection layer over the embedded engine: handles, reads, the retry, writes, failures.
#include <sqlite3.h>

#include "db/DatabaseLayer.h"
#include "db/SqliteEngine.h"
#include "db/SqliteHandles.h"
#include "db/DbTestSupport.h"
#include "fixtures/ImageDatabaseMaker.h"

namespace mirabel {

namespace {

class DatabaseLayer : public DbTest {
  protected:
    void SetUp() override {
        RunSqlite(Path("side.mdb"),
                  {"CREATE TABLE T (ID INTEGER PRIMARY KEY, Name VARCHAR(50), Seen DATETIME, "
                   "Ok BOOLEAN, Small SMALLINT, Data BLOB, Price CURRENCY, Ratio REAL)",
                   "INSERT INTO T VALUES (1, 'O''Brien', '2004-03-07 00:00:00', 1, 7, x'0102', "
                   "12.5, 0.25)",
                   "INSERT INTO T VALUES (2, NULL, '2004-03-07 14:05:00', 0, -3, NULL, NULL, NULL)",
                   "INSERT INTO T VALUES (3, 'NULL', NULL, NULL, NULL, NULL, NULL, NULL)"});
    }

    CAdoRecordset* Open(const std::string& statement) {
        GetNewDatabase("corvana");
        OpenAccessDatabase(FindConnection("corvana"), Path("side.mdb").string(), "");
        EXPECT_EQ(g_bDbError, 0);
        CAdoRecordset* rs = GetNewRecordset("echorec", FindConnection("corvana"));
        OpenRecordset(rs, statement);
        return rs;
    }

    std::vector<std::string> Column(const std::string& statement, const std::string& field) {
        std::vector<std::string> values;
        GetColumn(Open(statement), field, values, 100);
        return values;
    }
};

TEST_F(DatabaseLayer, HandlesAreReplacedByName) {
    GetNewDatabase("corvana");
    GetNewDatabase("corvana");
    GetNewDatabase("echodb");
    ASSERT_EQ(g_Databases.size(), 2u);
    EXPECT_NE(FindConnection("corvana"), nullptr);
    EXPECT_EQ(FindConnection("Corvana"), nullptr);  // names are case-sensitive
    EXPECT_EQ(FindConnection("labels"), nullptr);
    GetNewRecordset("echorec", FindConnection("corvana"));
    CAdoRecordset* rs = GetNewRecordset("echorec", FindConnection("corvana"));
    EXPECT_EQ(g_Recordsets.size(), 1u);
    EXPECT_EQ(rs->owner, FindConnection("corvana"));
    // A connection that goes takes its recordsets' rows with it, not the handles.
    GetNewDatabase("corvana");
    EXPECT_EQ(rs->owner, nullptr);
    EXPECT_EQ(g_Recordsets.size(), 1u);
}

TEST_F(DatabaseLayer, ValuesReadAsTextByTheirType) {
    // Row after row in the same texts: a long one after short ones, a date column's non-date, an
    // integer beyond 32 bits.
    RunSqlite(Path("side.mdb"),
              {"INSERT INTO T VALUES (3000000000, 'Featherstonehaugh', 'soon', NULL, NULL, NULL, "
               "NULL, NULL)"});
    CAdoRecordset* rs = Open("SELECT * FROM T ORDER BY ID");
    std::vector<std::string> rows;
    ASSERT_EQ(
        GetRows(rs, {"Name", "Seen", "ok", "Small", "Data", "Price", "Ratio", "ID"}, rows, 10), 4);
    EXPECT_EQ(rows, (std::vector<std::string>{"O'Brien", "03/07/2004", "-1", "7", "Array of VT_UI1",
                                              "12.5", "2.500000e-01", "1", "", "03/07/2004 14:05",
                                              "0", "-3", "", "", "", "2",
                                              // The word NULL in a text column reads as empty too.
                                              "", "", "", "", "", "", "", "3", "Featherstonehaugh",
                                              "soon", "", "", "", "", "", "3000000000"}));
    EXPECT_EQ(g_bDbError, 0);
    // GetFieldValue keeps "NULL"; MoveToRow counts from the first row.
    MoveToRow(rs, 1);
    EXPECT_EQ(GetFieldValue(rs, 1), "NULL");
    EXPECT_EQ(GetFieldValue(rs, 0), "2");
    EXPECT_EQ(GetFieldCount(rs), 8);
    EXPECT_EQ(GetFieldName(rs, 2), "Seen");
    EXPECT_EQ(GetFieldName(rs, 8), "");
    EXPECT_EQ(g_bDbError, 1);
}

TEST_F(DatabaseLayer, RowLimitAndEmptyResults) {
    std::vector<std::string> values;
    EXPECT_EQ(GetColumn(Open("SELECT * FROM T ORDER BY ID"), "ID", values, 2), 2);
    EXPECT_EQ(values, (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(GetColumnByIndex(Open("SELECT * FROM T WHERE ID > 5"), 0, values, 10), 0);
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(g_bDbError, 0);
    EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(DatabaseLayer, AccessDateLiteralsCompareChronologically) {
    EXPECT_EQ(Column("SELECT ID FROM T WHERE Seen < #03/07/2004 10:00#", "ID"),
              std::vector<std::string>{"1"});
    EXPECT_EQ(Column("SELECT ID FROM T WHERE Seen >= #3/7/2004 14:05# ORDER BY Seen", "ID"),
              std::vector<std::string>{"2"});
}

TEST_F(DatabaseLayer, RejectedStatementIsRetriedWithQuotedLiterals) {
    // '#O#' is no date literal: the engine rejects it, the retry reads it as the text 'O'.
    EXPECT_TRUE(Column("SELECT ID FROM T WHERE Name = #O#", "ID").empty());
    EXPECT_EQ(g_bDbError, 0);
    EXPECT_TRUE(ErrorLines().empty());

    CAdoRecordset* rs = Open("SELECT * FROM Missing WHERE D < #03/07/2004 10:00# AND N = #x#");
    EXPECT_EQ(g_bDbError, 1);
    const auto errors = ErrorLines();
    ASSERT_EQ(errors.size(), 1u);
    // The statement logged is the rewritten one.
    EXPECT_EQ(
        errors[0],
        "SELECT * FROM Missing WHERE D < '03/07/2004 10:00' AND N = 'x' : no such table: Missing");
    std::vector<std::string> values;
    EXPECT_EQ(GetColumn(rs, "ID", values, 10), 0);
    EXPECT_EQ(ErrorLines().back(), kObjectClosedText);
}

TEST_F(DatabaseLayer, MissingFieldAndMissingColumnFail) {
    std::vector<std::string> values;
    EXPECT_EQ(GetColumn(Open("SELECT * FROM T"), "NoSuchField", values, 10), 0);
    EXPECT_EQ(g_bDbError, 1);
    EXPECT_EQ(ErrorLines().back(), kItemNotFoundText);
    Open("SELECT NoSuchColumn FROM T");
    EXPECT_EQ(g_bDbError, 1);
    EXPECT_EQ(ErrorLines().back(), "SELECT NoSuchColumn FROM T : no such column: NoSuchColumn");
}

TEST_F(DatabaseLayer, MissingAndLockedFilesFailWithOneLine) {
    GetNewDatabase("corvana");
    OpenAccessDatabase(FindConnection("corvana"), Path("none.mdb").string(), "");
    EXPECT_EQ(g_bDbError, 1);
    ASSERT_EQ(ErrorLines().size(), 1u);
    EXPECT_EQ(ErrorLines()[0], "Could not find file '" + Path("none.mdb").string() + "'.");
    EXPECT_FALSE(std::filesystem::exists(Path("none.mdb")));  // never created

    // Another program holds the file exclusively.
    sqlite3* raw = nullptr;
    sqlite3_open(Path("side.mdb").c_str(), &raw);
    SqliteDatabaseHandle holder(raw);
    ASSERT_EQ(sqlite3_exec(raw, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    Open("SELECT * FROM T");
    EXPECT_EQ(g_bDbError, 1);
    EXPECT_EQ(ErrorLines().back(), "SELECT * FROM T : database is locked");
}

TEST_F(DatabaseLayer, UpdateChangesExactlyTheCurrentRow) {
    CAdoRecordset* rs = Open("SELECT * FROM T WHERE ID >= 2 ORDER BY ID");
    MoveToRow(rs, 1);
    SetFieldValue(rs, "Name", "D'Arcy");
    Update(rs);
    EXPECT_EQ(g_bDbError, 0);
    CloseRecordset(rs);
    EXPECT_EQ(Column("SELECT * FROM T ORDER BY ID", "Name"),
              (std::vector<std::string>{"O'Brien", "", "D'Arcy"}));

    rs = Open("SELECT * FROM T");
    AddNew(rs);
    SetFieldValue(rs, "ID", "9");
    SetFieldValue(rs, "Name", "New");
    Update(rs);
    EXPECT_EQ(g_bDbError, 0);
    EXPECT_EQ(Column("SELECT * FROM T WHERE ID = 9", "Name"), std::vector<std::string>{"New"});
    EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(DatabaseLayer, UpdateWithoutAKeyMatchesTheWholeRow) {
    RunSqlite(Path("side.mdb"), {"CREATE TABLE K (A VARCHAR(9), B INTEGER)",
                                 "INSERT INTO K VALUES ('x', 1), ('x', 2), (NULL, 2)"});
    CAdoRecordset* rs = Open("SELECT * FROM K WHERE B = 2 ORDER BY A");
    SetFieldValue(rs, "A", "y");  // the row (NULL, 2) comes first
    Update(rs);
    EXPECT_EQ(g_bDbError, 0);
    EXPECT_EQ(Column("SELECT * FROM K ORDER BY B, A", "A"),
              (std::vector<std::string>{"x", "x", "y"}));
}

TEST_F(DatabaseLayer, AnUpdateThatWouldChangeTwoIdenticalRowsChangesNone) {
    RunSqlite(Path("side.mdb"), {kTwinsTable});
    CAdoRecordset* rs = Open("SELECT * FROM Twins ORDER BY B");
    ChangeATwinThenTheThirdRow(rs);
    EXPECT_EQ(ErrorLines(), std::vector<std::string>{kRowNotFoundText});
    // Read through a new connection: only what was committed.
    EXPECT_EQ(Column("SELECT * FROM Twins ORDER BY B", "A"),
              (std::vector<std::string>{"x", "x", "w"}));
}

TEST_F(DatabaseLayer, WritesNeedARowAndASingleTable) {
    CAdoRecordset* rs = Open("SELECT * FROM T WHERE ID > 5");
    SetFieldValue(rs, "Name", "x");
    EXPECT_EQ(g_bDbError, 1);
    EXPECT_EQ(ErrorLines().back(), kNoCurrentRowText);
    rs = Open("SELECT T.Name FROM T, T AS U WHERE T.ID = U.ID");
    SetFieldValue(rs, "Name", "x");
    Update(rs);
    EXPECT_EQ(g_bDbError, 1);
    EXPECT_EQ(Column("SELECT * FROM T WHERE ID = 1", "Name"), std::vector<std::string>{"O'Brien"});
}

TEST_F(DatabaseLayer, ClosingTheConnectionFirstLeavesNoDanglingRecordset) {
    CAdoRecordset* rs = Open("SELECT * FROM T");
    CloseDatabase(FindConnection("corvana"));
    std::vector<std::string> values;
    EXPECT_EQ(GetColumn(rs, "ID", values, 10), 0);
    EXPECT_EQ(g_bDbError, 1);
    CloseRecordset(rs);
    EXPECT_TRUE(g_Recordsets.empty());
}

}  // namespace

namespace {

TEST(SqliteVariantType, DeclaredTypeRefinesTheStorageClass) {
    struct Row {
        int storage;
        const char* declared;
        std::uint16_t type;
    };
    const Row table[] = {
        {SQLITE_NULL, "DATETIME", VT_NULL},       {SQLITE_INTEGER, "INTEGER", VT_I4},
        {SQLITE_INTEGER, nullptr, VT_I4},         {SQLITE_INTEGER, "SMALLINT", VT_I2},
        {SQLITE_INTEGER, "boolean", VT_BOOL},     {SQLITE_INTEGER, "YESNO", VT_BOOL},
        {SQLITE_INTEGER, "CURRENCY", VT_CY},      {SQLITE_FLOAT, "REAL", VT_R8},
        {SQLITE_FLOAT, "MONEY", VT_CY},           {SQLITE_TEXT, "VARCHAR(255)", VT_BSTR},
        {SQLITE_TEXT, "DATETIME", VT_DATE},       {SQLITE_TEXT, "date", VT_DATE},
        {SQLITE_TEXT, "TIMESTAMP", VT_DATE},      {SQLITE_TEXT, nullptr, VT_BSTR},
        {SQLITE_BLOB, "BLOB", VT_ARRAY | VT_UI1}, {SQLITE_BLOB, "VARCHAR", VT_ARRAY | VT_UI1},
    };
    for (const Row& row : table)
        EXPECT_EQ(SqliteVariantType(row.storage, row.declared), row.type)
            << row.storage << " " << (row.declared ? row.declared : "(none)");
}

TEST(SqliteEngineDates, AccessLiteralsBecomeIsoText) {
    EXPECT_EQ(RewriteAccessDateLiterals("D < #3/7/2004 14:05# AND E >= #03/07/2004#"),
              "D < '2004-03-07 14:05:00' AND E >= '2004-03-07 00:00:00'");
    EXPECT_EQ(RewriteAccessDateLiterals("N = '#1' AND M = #13/45/2004#"),
              "N = '#1' AND M = #13/45/2004#");
}

}  // namespace

}  // namespace mirabel
