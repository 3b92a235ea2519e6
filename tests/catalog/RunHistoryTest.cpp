// A run history edited by hand or damaged: its records read back within sense, and a garbled
// exit status is never taken for success.
#include "catalog/RunHistory.h"

#include <gtest/gtest.h>

#include <climits>

#include "fixtures/TempDir.h"

namespace mirabel {
namespace {

TEST(RunHistory, DamagedRecordsReadBackWithinSense) {
    const struct {
        const char* values;  // done, failed, skipped, bytes, exit_status
        int done, failed, skipped;
        std::uint64_t bytes;
        int exitStatus;
    } cases[] = {
        {"-5, -3, 'abc', -1000, 0", 0, 0, 0, 0, 0},
        {"9223372036854775807, 2147483648, 1.5, 9223372036854775807, 'zz'", INT_MAX, INT_MAX, 0,
         9223372036854775807ull, -1},
        {"3, 1, 0, 4096, 1", 3, 1, 0, 4096, 1},
    };
    for (const auto& c : cases) {
        TempDir dir;
        CatalogDatabase catalog(dir / "catalog.db");
        catalog.Execute(("INSERT INTO runs (kind, started, ended, done, failed, skipped, bytes, "
                         "exit_status) VALUES ('archive', 'a', 'b', " +
                         std::string(c.values) + ")")
                            .c_str());
        RunHistory history(catalog);
        const std::vector<RunRecord> runs = history.Last(kRunArchive, 1);
        ASSERT_EQ(runs.size(), 1u) << c.values;
        EXPECT_EQ(runs[0].done, c.done) << c.values;
        EXPECT_EQ(runs[0].failed, c.failed) << c.values;
        EXPECT_EQ(runs[0].skipped, c.skipped) << c.values;
        EXPECT_EQ(runs[0].bytes, c.bytes) << c.values;
        EXPECT_EQ(runs[0].exitStatus, c.exitStatus) << c.values;
        EXPECT_EQ(history.LastSuccessful(kRunArchive).has_value(), c.exitStatus == 0) << c.values;
    }
}

}  // namespace
}  // namespace mirabel
