// What only reads the catalog (the report, a dry run, the restore holds every candidate
// selection looks at) leaves its folder as it was: no table added, no journal switched, no
// commit of another writer folded in from its log.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "catalog/RestoreHolds.h"
#include "catalog/RunHistory.h"
#include "fixtures/FolderHashes.h"
#include "fixtures/TempDir.h"

namespace mirabel {
namespace {

void Run(sqlite3* db, const char* sql) {
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
}

// A catalog made by an earlier release: no restore holds yet, the default rollback journal.
void EarlierRelease(const std::filesystem::path& file) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    Run(db,
        "CREATE TABLE runs (id INTEGER PRIMARY KEY, kind TEXT NOT NULL, started TEXT NOT NULL, "
        "ended TEXT NOT NULL, destination TEXT, done INTEGER NOT NULL, failed INTEGER NOT NULL, "
        "skipped INTEGER NOT NULL, bytes INTEGER NOT NULL, exit_status INTEGER NOT NULL)");
    sqlite3_close(db);
}

// A catalog whose writer ended without folding its log into the file.
void CommitsLeftInTheLog(const std::filesystem::path& file) {
    { CatalogDatabase made(file); }
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    Run(db, "INSERT INTO restore_holds VALUES ('7', '2026-01-01 00:00:00', '2999-01-01 00:00:00')");
    sqlite3_close(db);
}

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
        void (*make)(const std::filesystem::path&);
        std::size_t held;
    } cases[] = {{"earlier release", EarlierRelease, 0},
                 {"commits left in the log", CommitsLeftInTheLog, 1}};
    for (const auto& c : cases) {
        TempDir dir;
        const auto file = dir / "catalog.db";
        c.make(file);
        const auto before = Files(dir);
        EXPECT_EQ(ExamsOnRestoreHold(file).size(), c.held) << c.name;
        {
            std::optional<CatalogDatabase> catalog = CatalogDatabase::OpenToRead(file);
            ASSERT_TRUE(catalog) << c.name;
            EXPECT_EQ(RunHistory(*catalog).Last("", 1).size(), 0u) << c.name;
        }
        EXPECT_EQ(Files(dir), before) << c.name;
    }
}

}  // namespace
}  // namespace mirabel
