// "mirabel --remove-now" with rules it cannot apply as they stand: it deletes nothing, and its
// exit status and words say why, instead of a silent success or a store emptied by a misread
// value.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include "ProgramRun.h"
#include "db/SqliteHandles.h"
#include "fixtures/LogMessages.h"
#include "fixtures/ProgramDirectory.h"
#include "fixtures/RemovalSetup.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

// A 64 MB file system mounted on a folder while the object lives; Mounted() is false where
// this process may not mount (only root may).
class SmallFileSystem {
  public:
    explicit SmallFileSystem(const fs::path& folder) : folder_(folder) {
        mounted_ = ::geteuid() == 0 &&
                   ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64m,mode=0755") == 0;
    }
    ~SmallFileSystem() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }

  private:
    fs::path folder_;
    bool mounted_ = false;
};

// Another program holding the image database exclusively while the object lives.
class DatabaseHeldExclusively {
  public:
    explicit DatabaseHeldExclusively(const fs::path& file) {
        sqlite3* raw = nullptr;
        sqlite3_open(file.c_str(), &raw);
        holder_ = SqliteDatabaseHandle(raw);
        locked_ = sqlite3_exec(raw, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    bool Locked() const { return locked_; }

  private:
    SqliteDatabaseHandle holder_;
    bool locked_ = false;
};

struct RulesCase {
    const char* what;
    std::map<std::string, std::string> rules;  // section "Delete"
    std::vector<std::string> archiveValues;    // one archived server study each
    bool smallStore = false;                   // the image root on a 64 MB file system
    bool lockedDatabase = false;
    int status = 0;
    const char* said = "";    // on standard error
    const char* logged = "";  // in the error log
};

const std::string kCopy = "FTP:10.1.2.3:/data/";

TEST(RemoveNowRules, RulesThatCannotStandDeleteNothingAndSaySo) {
    const RulesCase cases[] = {
        {.what = "blank archive values are no archive",
         .rules = {{"ByDate", "TRUE"}, {"NumbDays", "0"}},
         .archiveValues = {"", "   "}},
        {.what = "days out of range before any statement",
         .rules = {{"TempDel", "TRUE"}, {"TempDays", "99999999999999"}},
         .archiveValues = {kCopy},
         .status = 2,
         .said = "Auto-Delete Temporary Studies: \"99999999999999\" days is out of range",
         .logged = "days is out of range (0 to 36500); the rule selects nothing"},
        {.what = "database locked during the selection",
         .rules = {{"ByDate", "TRUE"}, {"NumbDays", "0"}},
         .archiveValues = {kCopy},
         .lockedDatabase = true,
         .status = 2,
         .said = "the deletion candidates could not all be read",
         .logged = "database is locked"},
        {.what = "the rules select more than half",
         .rules = {{"ByDate", "TRUE"}, {"NumbDays", "0"}},
         .archiveValues = {kCopy, kCopy, kCopy},
         .status = 1,
         .said = "the rules select 3 of 3 archived studies, more than \"Max Delete Percent\"",
         .logged = "(50) allows; no study is selected"},
        {.what = "a goal in exponent form",
         .rules = {{"BySize", "TRUE"}, {"NumbGBytes", "1e-30"}},
         .archiveValues = {kCopy},
         .smallStore = true,
         .status = 2,
         .said = "Auto-Delete By Size: \"1e-30\" is not a plain number of gigabytes",
         .logged = "gigabytes; the rule selects nothing"},
        {.what = "a goal beyond the store",
         .rules = {{"BySize", "TRUE"}, {"NumbGBytes", "1"}},
         .archiveValues = {kCopy},
         .smallStore = true,
         .status = 2,
         .said = "Auto-Delete By Size: 1 GB is more than the image store's file system holds",
         .logged = "(0.06 GB); the rule selects nothing"},
    };
    for (const RulesCase& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramDirectory dir;
        RemovalSetup setup{dir.path()};
        std::optional<SmallFileSystem> store;
        if (c.smallStore && !store.emplace(setup.ImageRoot()).Mounted()) {
            std::printf("skipped \"%s\": mounting a small file system needs root\n", c.what);
            continue;
        }
        WriteFileBytes(dir / "archives.p", "NFS\n" + dir.path().string() + "/archive\nlab\nEND\n");
        WriteFileBytes(dir / "Default.cfg", "NFS:lab");
        dir.Store("NFS:lab", "Database", "Database File", setup.Database().string());
        dir.Store("NFS:lab", "Database", "Image Path", setup.ImageRoot().string());
        for (const auto& [key, value] : c.rules) dir.Store("NFS:lab", "Delete", key, value);
        RemovalStudy study;
        for (const std::string& value : c.archiveValues) {
            ++study.examId;
            study.archiveValue = value;
            setup.Add(study);
        }

        std::optional<DatabaseHeldExclusively> held;
        if (c.lockedDatabase) {
            ASSERT_TRUE(held.emplace(setup.Database()).Locked());
        }
        const ProgramOutcome run = RunProgram("--remove-now");
        held.reset();

        EXPECT_EQ(run.status, c.status) << run.output;
        EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
        for (long id = 1; id <= study.examId; ++id) {
            EXPECT_EQ(setup.MediaType(id), "Image Server") << id;
            EXPECT_TRUE(fs::exists(setup.FolderOf(id) / "IMG1.dcm")) << id;
        }
        const auto errors = setup.Errors();
        const bool logged = std::any_of(errors.begin(), errors.end(), [&](const std::string& line) {
            return line.find(c.logged) != std::string::npos;
        });
        EXPECT_TRUE(*c.logged ? logged : errors.empty()) << ::testing::PrintToString(errors);
    }
}

}  // namespace

}  // namespace mirabel
