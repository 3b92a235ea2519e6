// A run history edited by hand or damaged reads back within sense, and a garbled exit status
// is never taken for success.
#include "catalog/RunHistory.h"

#include <gtest/gtest.h>

#include "fixtures/TempDir.h"

namespace mirabel {
namespace {

TEST(RunHistory, DamagedRecordsReadBackWithinSense) {
    const struct {
        std::string values;  // done, failed, bytes, exit_status
        int done, failed;
        std::uint64_t bytes;
        int exitStatus;
    } cases[] = {{"-5, 'abc', -1000, 0", 0, 0, 0, 0},
                 {"9223372036854775807, 2147483648, 7, 'zz'", 2147483647, 2147483647, 7, -1}};
    for (const auto& c : cases) {
        TempDir dir;
        CatalogDatabase catalog(dir / "catalog.db");
        catalog.Execute(("INSERT INTO runs (kind, started, ended, skipped, done, failed, bytes, "
                         "exit_status) VALUES ('archive', 'a', 'b', 0, " +
                         c.values + ")")
                            .c_str());
        RunHistory history(catalog);
        const RunRecord run = history.Last(kRunArchive, 1).at(0);
        EXPECT_EQ(run.done, c.done) << c.values;
        EXPECT_EQ(run.failed, c.failed) << c.values;
        EXPECT_EQ(run.bytes, c.bytes) << c.values;
        EXPECT_EQ(run.exitStatus, c.exitStatus) << c.values;
        EXPECT_EQ(history.LastSuccessful(kRunArchive).has_value(), c.exitStatus == 0) << c.values;
    }
}

}  // namespace
}  // namespace mirabel
