// Reading a study's PATIENT and EXAM rows from a real SQLite image database.
#include "archive/TableRowRead.h"

#include <gtest/gtest.h>

#include "app/ProcessState.h"
#include "db/DatabaseLayer.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/TempDir.h"

namespace mirabel {

namespace {

class TableRowRead : public ::testing::Test {
  protected:
    TableRowRead() {
        ResetProcessState();
        CreateImageDatabase(database, StudiesOfOnePatient({1001}));
        config.m_strDatabaseFile = database.string();
    }
    ~TableRowRead() override { ResetProcessState(); }

    bool Read(const std::string& table, const std::string& key) {
        names.clear();
        values.clear();
        return ReadTableRow(config, table, names, values, key);
    }

    TempDir dir;
    std::filesystem::path database = dir / "echo.mdb";
    ArchiverConfig config;
    std::vector<std::string> names, values;
};

TEST_F(TableRowRead, APatientRowKeepsEveryByteButItsLineBreaks) {
    const std::string tricky =
        "O''Brien \"Jr\"\t" + std::string("\xC3\xA9\xFF") + "'||char(13)||char(10)||'end";
    RunSqlite(database, {"UPDATE PATIENT SET NAME_L = '" + tricky + "', NAME_F = '" +
                         std::string(4000, 'f') + "', NAME_I = NULL WHERE PAT_ID = 7"});
    ASSERT_TRUE(Read("PATIENT", "7"));
    EXPECT_EQ(names, (std::vector<std::string>{"NAME_L", "NAME_F", "NAME_I", "IUH_ID", "SSN", "DOB",
                                               "GENDER"}));
    ASSERT_EQ(values.size(), 7u);
    EXPECT_EQ(values[0], "O'Brien \"Jr\"\t\xC3\xA9\xFF\\cr\\lfend");
    EXPECT_EQ(values[1], std::string(4000, 'f'));
    EXPECT_EQ(values[2], "NULL");
    EXPECT_EQ(values[3], "MRN7");
}

TEST_F(TableRowRead, AnExamRowHasItsNineteenFields) {
    ASSERT_TRUE(Read("EXAM", "1001"));
    ASSERT_EQ(names.size(), 19u);
    EXPECT_EQ(names.front(), "EXAM_DATE");
    EXPECT_EQ(names.back(), "DOC_TO_READ");
    EXPECT_EQ(values[1], "ECHO");
}

TEST_F(TableRowRead, NothingIsReadWithoutARowOrANumericKeyOrADatabase) {
    for (const char* key : {"8", "7 OR 1=1", "", "7'"}) {
        EXPECT_FALSE(Read("PATIENT", key)) << key;
        EXPECT_TRUE(names.empty() && values.empty()) << key;
    }
    EXPECT_FALSE(Read("EXAM", "1002"));
    config.m_strDatabaseFile = (dir / "missing.mdb").string();
    EXPECT_FALSE(Read("EXAM", "1001"));
}

}  // namespace

}  // namespace mirabel
