// The database kind a "DB_Type" word names, and what each kind asks of the connection values.
#include <gtest/gtest.h>

#include "core/ArchiverConfig.h"
#include "db/ImageDatabase.h"

namespace mirabel {

namespace {

TEST(DatabaseKind, EveryWordParsesAndOnlyKnownKindsTestTheirConnectionValues) {
    struct Case {
        const char* word;
        DatabaseKind kind;
        bool presentWhenAllEmpty;
    };
    // Words are compared exactly; any other word is connected as Oracle, and its values are
    // never tested.
    const Case cases[] = {
        {"JET", DatabaseKind::Jet, false},       {"SQL", DatabaseKind::SqlServer, false},
        {"ORACLE", DatabaseKind::Oracle, false}, {"Oracle", DatabaseKind::Unknown, true},
        {"jet", DatabaseKind::Unknown, true},    {"SQL ", DatabaseKind::Unknown, true},
        {"", DatabaseKind::Unknown, true}};
    for (const Case& c : cases) {
        ArchiverConfig config;
        config.m_strDbType = c.word;
        EXPECT_EQ(config.DbKind(), c.kind) << '"' << c.word << '"';
        EXPECT_EQ(ConnectionValuesPresent(config), c.presentWhenAllEmpty) << '"' << c.word << '"';
        if (c.kind != DatabaseKind::Unknown) {
            EXPECT_STREQ(DbTypeWord(c.kind), c.word);  // the word stored for the kind
        }
    }
}

}  // namespace

}  // namespace mirabel
