// What only reads the catalog (the report, a dry run, the restore holds every candidate
// selection looks at) leaves its folder as it was: no table added, no journal switched, no
// commit of another writer folded in from its log.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "catalog/RestoreHolds.h"
#include "fixtures/FolderHashes.h"
#include "fixtures/TempDir.h"

namespace mirabel {
namespace {

// The folder's files with their bytes; the log's index ("-shm") is shared memory every reader
// writes to, so only its presence counts.
std::map<std::string, std::string> Files(const TempDir& dir) {
    auto files = FolderHashes(dir.path());
    if (auto index = files.find("catalog.db-shm"); index != files.end()) index->second.clear();
    return files;
}

TEST(CatalogReading, LeavesTheCatalogsFolderAsItWas) {
    const struct {
        const char* name;
        const char* sql;  // after the runs table
        std::size_t held;
    } cases[] = {
        {"of an earlier release: no restore holds, a rollback journal", "", 0},
        {"with its writer's commits left in the log",
         "PRAGMA journal_mode=WAL; CREATE TABLE restore_holds (exam_id TEXT PRIMARY KEY, "
         "restored TEXT, hold_until TEXT); INSERT INTO restore_holds VALUES "
         "('7', '2026-01-01 00:00:00', '2999-01-01 00:00:00');",
         1},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const auto file = dir / "catalog.db";
        sqlite3* writer = nullptr;
        sqlite3_open(file.c_str(), &writer);
        sqlite3_db_config(writer, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        ASSERT_EQ(
            sqlite3_exec(writer, (std::string("CREATE TABLE runs (id INTEGER);") + c.sql).c_str(),
                         nullptr, nullptr, nullptr),
            SQLITE_OK)
            << sqlite3_errmsg(writer);
        sqlite3_close(writer);
        const auto before = Files(dir);
        EXPECT_EQ(ExamsOnRestoreHold(file).size(), c.held) << c.name;
        EXPECT_EQ(Files(dir), before) << c.name;
    }
}

}  // namespace
}  // namespace mirabel
