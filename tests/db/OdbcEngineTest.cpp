// The ODBC engine: connection strings, the SQLite ODBC driver's types, and SQL Server through
// FreeTDS against a closed port.
#include "db/OdbcEngine.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include "db/DbTestSupport.h"
#include "db/OdbcConnectionStrings.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/OdbcTestSetup.h"

namespace mirabel {

namespace {

TEST(OdbcConnectionStrings, ValuesThatWouldBreakTheStringAreBraceQuoted) {
    EXPECT_EQ(QuoteConnectionValue("pa;ss}w{rd"), "{pa;ss}}w{rd}");
    EXPECT_EQ(QuoteConnectionValue(" x"), "{ x}");
    EXPECT_EQ(QuoteConnectionValue("plain value"), "plain value");
    EXPECT_EQ(AccessConnectionString("C:\\Echo\\corvana.mdb", "x;y"),
              "DRIVER={Microsoft Access Driver (*.mdb)};DBQ=C:\\Echo\\corvana.mdb;UID=admin;"
              "PWD={x;y};");
    EXPECT_EQ(SqlServerConnectionString("db1,1433", "Echo", "sa", "p}", false),
              "DRIVER={FreeTDS};SERVER=db1;PORT=1433;DATABASE=Echo;UID=sa;PWD={p}}};");
    EXPECT_EQ(SqlServerConnectionString("EchoDsn", "Echo", "sa", "", true),
              "DSN=EchoDsn;DATABASE=Echo;UID=sa;PWD=;");
    EXPECT_EQ(OracleConnectionString("ECHO.WORLD", "cv", "pw", false),
              "DRIVER={Oracle};DBQ=ECHO.WORLD;UID=cv;PWD=pw;");
    EXPECT_EQ(OracleConnectionString("EchoDsn", "cv", "pw", true), "DSN=EchoDsn;UID=cv;PWD=pw;");
    // The driver names follow the settings.
    const OdbcDriverNames saved = g_OdbcDriverNames;
    g_OdbcDriverNames.sqlServer = "ODBC Driver 18 for SQL Server";
    EXPECT_EQ(SqlServerConnectionString("db1", "E", "u", "p", false),
              "DRIVER={ODBC Driver 18 for SQL Server};SERVER=db1;DATABASE=E;UID=u;PWD=p;");
    g_OdbcDriverNames = saved;
}

TEST(OdbcVariantType, OneRowPerTypeFamily) {
    const std::pair<int, std::uint16_t> table[] = {
        {SQL_SMALLINT, VT_I2},
        {SQL_TINYINT, VT_I2},
        {SQL_INTEGER, VT_I4},
        {SQL_BIGINT, VT_I8},
        {SQL_REAL, VT_R4},
        {SQL_DOUBLE, VT_R8},
        {SQL_FLOAT, VT_R8},
        {SQL_NUMERIC, VT_DECIMAL},
        {SQL_DECIMAL, VT_DECIMAL},
        {SQL_TYPE_TIMESTAMP, VT_DATE},
        {SQL_TYPE_DATE, VT_DATE},
        {SQL_TYPE_TIME, VT_DATE},
        {SQL_BIT, VT_BOOL},
        {SQL_VARCHAR, VT_BSTR},
        {SQL_LONGVARCHAR, VT_BSTR},
        {SQL_WVARCHAR, VT_BSTR},
        {SQL_CHAR, VT_BSTR},
        {SQL_LONGVARBINARY, static_cast<std::uint16_t>(VT_ARRAY | VT_UI1)},
        {SQL_VARBINARY, static_cast<std::uint16_t>(VT_ARRAY | VT_UI1)}};
    for (const auto& [sqlType, variantType] : table)
        EXPECT_EQ(OdbcVariantType(sqlType), variantType) << sqlType;
    EXPECT_EQ(VariantToString(OdbcTextToVariant(SQL_TYPE_TIME, "14:05:00")), "12/30/1899 14:05");
    EXPECT_EQ(VariantToString(OdbcTextToVariant(SQL_NUMERIC, "-70.50")), "-70.5");
    EXPECT_EQ(VariantToString(OdbcTextToVariant(SQL_BIT, "1")), "-1");
}

class OdbcEngine : public DbTest {
  protected:
    OdbcEngine() { OdbcTestSetup::Instance(); }
};

TEST_F(OdbcEngine, SqliteDriverTypesReadByTheOneRule) {
    const auto file = OdbcTestSetup::Instance().SqliteDsnFile();
    std::filesystem::remove(file);
    RunSqlite(file, {"CREATE TABLE T (I INTEGER, S SMALLINT, R REAL, D DATE, TS DATETIME, "
                     "X VARCHAR(20), B BLOB, F BOOLEAN)",
                     "INSERT INTO T VALUES (-42, 7, 0.5, '2004-03-07', '2004-03-07 14:05:00', "
                     "'O''Brien', x'00ff', 1)",
                     "INSERT INTO T VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, 0)"});
    // Reached as a data source: the Oracle kind needs no database name.
    GetNewDatabase("echodb");
    OpenOracleDatabase(FindConnection("echodb"), kSqliteDsn, "", "");
    ASSERT_EQ(g_bDbError, 0) << ::testing::PrintToString(ErrorLines());
    CAdoRecordset* rs = GetNewRecordset("echorec", FindConnection("echodb"));
    OpenRecordset(rs, "SELECT * FROM T");
    ASSERT_EQ(g_bDbError, 0) << ::testing::PrintToString(ErrorLines());
    std::vector<std::string> texts;
    for (int i = 0; i < GetFieldCount(rs); ++i) texts.push_back(GetFieldValue(rs, i));
    EXPECT_EQ(texts,
              (std::vector<std::string>{"-42", "7", "5.000000e-01", "03/07/2004",
                                        "03/07/2004 14:05", "O'Brien", "Array of VT_UI1", "-1"}));
    std::vector<std::string> rows;
    EXPECT_EQ(GetRows(rs, {"I", "X", "F", "TS"}, rows, 10), 2);
    EXPECT_EQ(rows, (std::vector<std::string>{"-42", "O'Brien", "-1", "03/07/2004 14:05", "", "",
                                              "0", ""}));
    CloseRecordset(rs);
    CloseDatabase(FindConnection("echodb"));
    EXPECT_TRUE(ErrorLines().empty());
}

TEST_F(OdbcEngine, SqlServerOnAClosedPortFailsWithOneLine) {
    const int port = FreeLocalPort();
    GetNewDatabase("corvana");
    OpenSqlServerDatabase(FindConnection("corvana"), "127.0.0.1," + std::to_string(port), "Echo",
                          "sa", "pw");
    EXPECT_EQ(g_bDbError, 1);
    EXPECT_EQ(g_bOracleSyntax, 0);
    const auto errors = ErrorLines();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("Unable to connect"), std::string::npos) << errors[0];
    EXPECT_EQ(errors[0].find("pw"), std::string::npos);
}

}  // namespace

}  // namespace mirabel
