#include "platform/RegFileHive.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "fixtures/TempDir.h"
#include "platform/SystemCalls.h"

namespace mirabel {

namespace {

const RegistryPath kArchiveKey{"Software", "Corvana Mirabel", "Archive"};

// Restores an environment variable when the test ends.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (previous_) {
            ::setenv(name_, previous_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> previous_;
};

class RegFileHiveTest : public ::testing::Test {
  protected:
    std::filesystem::path hivePath() const { return dir_ / "mirabel" / "hkcu.reg"; }
    void WriteHive(const std::string& text) {
        std::filesystem::create_directories(hivePath().parent_path());
        WriteFileBytes(hivePath(), text);
    }
    std::string HiveText() const { return ReadFileBytes(hivePath()); }

    TempDir dir_;
    RegFileHive hive_{hivePath()};
};

TEST_F(RegFileHiveTest, MissingHiveReadsEmptyAndReadsCreateNothing) {
    EXPECT_TRUE(hive_.KeyExists({}));
    EXPECT_TRUE(hive_.KeyExists({"Software"}));
    EXPECT_TRUE(hive_.KeyExists({"SOFTWARE", ""}));
    EXPECT_FALSE(hive_.KeyExists(kArchiveKey));
    EXPECT_EQ(hive_.QueryValue(kArchiveKey, "Max Studies"), std::nullopt);
    EXPECT_FALSE(std::filesystem::exists(hivePath().parent_path()));
}

TEST_F(RegFileHiveTest, WritesTheRegeditFormatWithCrLfAndEscapes) {
    ASSERT_TRUE(hive_.SetValue(kArchiveKey, "Max Studies", "500"));
    ASSERT_TRUE(hive_.SetValue({"Software", "Corvana Mirabel", "NFS:x", "Database"}, "Image Path",
                               "C:\\images \"new\"\r\nline"));
    ASSERT_TRUE(hive_.SetValue(kArchiveKey, "", "default"));
    EXPECT_EQ(HiveText(),
              "Windows Registry Editor Version 5.00\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Corvana Mirabel\\Archive]\r\n"
              "\"Max Studies\"=\"500\"\r\n"
              "@=\"default\"\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Corvana Mirabel\\NFS:x\\Database]\r\n"
              "\"Image Path\"=\"C:\\\\images \\\"new\\\"\\r\\nline\"\r\n"
              "\r\n");
    // Only the hive and its lock file: no temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(hivePath().parent_path()),
                            std::filesystem::directory_iterator()),
              2);
}

TEST_F(RegFileHiveTest, EveryByteButNulRoundTripsThroughTheFile) {
    std::string everyByte;
    for (int c = 1; c < 256; ++c) everyByte += static_cast<char>(c);
    const std::string awkwardName = "a \"name\" with \\ and\r\n";
    ASSERT_TRUE(hive_.SetValue(kArchiveKey, awkwardName, everyByte + "\\"));
    ASSERT_TRUE(hive_.SetValue(kArchiveKey, "Cut", std::string("before\0after", 12)));

    RegFileHive other(hivePath());
    EXPECT_EQ(other.QueryValue(kArchiveKey, awkwardName), everyByte + "\\");
    EXPECT_EQ(other.QueryValue(kArchiveKey, "Cut"), "before");  // REG_SZ text ends at a NUL
}

TEST_F(RegFileHiveTest, NamesIgnoreCaseAndEmptyOrBackslashedLevelsFold) {
    WriteHive(
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "[hkey_current_user\\SOFTWARE\\Corvana Mirabel\\NFS:a\\b\\Archive]\n"
        "\"MAX STUDIES\"=\"12\"\n"
        "@=\"unnamed\"\n");
    const RegistryPath key{"software", "", "corvana mirabel", "NFS:A\\B", "", "archive"};
    EXPECT_TRUE(hive_.KeyExists({"Software", "Corvana Mirabel", "NFS:a"}));
    EXPECT_FALSE(hive_.KeyExists({"Software", "Corvana Mirabel", "NFS"}));
    EXPECT_EQ(hive_.QueryValue(key, "max studies"), "12");
    EXPECT_EQ(hive_.QueryValue(key, ""), "unnamed");

    // Setting through another spelling changes the one value and keeps the stored spelling.
    ASSERT_TRUE(hive_.SetValue(key, "Max Studies", "13"));
    const std::string text = HiveText();
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\SOFTWARE\\Corvana Mirabel\\NFS:a\\b\\Archive]\r\n"
                        "\"MAX STUDIES\"=\"13\"\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Max Studies"), std::string::npos);
}

TEST_F(RegFileHiveTest, LaterKeysAndValuesOverrideEarlierOnes) {
    WriteHive(
        "Windows Registry Editor Version 5.00\r\n"
        "[HKEY_CURRENT_USER\\Software\\P]\r\n"
        "\"v\"=\"first\"\r\n"
        "\"w\"=\"kept\"\r\n"
        "[HKEY_CURRENT_USER\\software\\p]\r\n"
        "\"V\"=\"second\"\r\n");
    EXPECT_EQ(hive_.QueryValue({"Software", "P"}, "v"), "second");
    EXPECT_EQ(hive_.QueryValue({"Software", "P"}, "w"), "kept");
    ASSERT_TRUE(hive_.SetValue({"Software", "P"}, "v", "third"));
    EXPECT_EQ(hive_.QueryValue({"Software", "P"}, "v"), "third");
    EXPECT_EQ(HiveText().find("first"), std::string::npos);
}

TEST_F(RegFileHiveTest, DamagedHiveReadsWhatIsReadableAndAWriteKeepsEverything) {
    // No header, garbage, a foreign key with a value that must not leak into ours, a typed
    // value with continuation lines, a value without its closing quote, and a file cut off
    // in the middle of its last line.
    const std::string damaged =
        "garbage before any key\n"
        "[HKEY_CURRENT_USER\\Software\\P\\Archive]\n"
        "\"Good\"=\"1\"\n"
        "%%% noise %%%\n"
        "\"Typed\"=hex(2):41,00,\\\n"
        "  42,00\n"
        "\"Open\"=\"no closing quote\n"
        "\"Trailing\"=\"x\" junk\n"
        "[HKEY_LOCAL_MACHINE\\Software\\P\\Archive]\n"
        "\"Foreign\"=\"f\"\n"
        "[HKEY_CURRENT_USER\\Software\\P\\Database\n"
        "\"Orphan\"=\"o\"\n"
        "[HKEY_CURRENT_USER\\Software\\P\\Delete]\r\n"
        "\"Also Good\"=\"2\"\r\n"
        "\"Cut\"=\"hal";
    WriteHive(damaged);
    const RegistryPath archive{"Software", "P", "Archive"};
    EXPECT_EQ(hive_.QueryValue(archive, "Good"), "1");
    EXPECT_EQ(hive_.QueryValue({"Software", "P", "Delete"}, "Also Good"), "2");
    for (const char* unreadable : {"Typed", "Open", "Trailing", "Foreign", "Orphan"})
        EXPECT_EQ(hive_.QueryValue(archive, unreadable), std::nullopt) << unreadable;
    EXPECT_EQ(hive_.QueryValue({"Software", "P", "Delete"}, "Cut"), std::nullopt);
    EXPECT_FALSE(hive_.KeyExists({"Software", "P", "Database"}));

    ASSERT_TRUE(hive_.SetValue(archive, "New", "3"));
    ASSERT_TRUE(hive_.SetValue(archive, "Open", "closed"));

    RegFileHive reread(hivePath());
    EXPECT_EQ(reread.QueryValue(archive, "Good"), "1");
    EXPECT_EQ(reread.QueryValue({"Software", "P", "Delete"}, "Also Good"), "2");
    EXPECT_EQ(reread.QueryValue(archive, "New"), "3");
    EXPECT_EQ(reread.QueryValue(archive, "Open"), "closed");
    EXPECT_EQ(reread.QueryValue(archive, "Orphan"), std::nullopt);
    const std::string text = HiveText();
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u);
    for (const char* kept :
         {"garbage before any key\r\n", "%%% noise %%%\r\n",
          "\"Typed\"=hex(2):41,00,\\\r\n  42,00\r\n", "\"Trailing\"=\"x\" junk\r\n",
          "[HKEY_LOCAL_MACHINE\\Software\\P\\Archive]\r\n\"Foreign\"",
          "[HKEY_CURRENT_USER\\Software\\P\\Database\r\n\"Orphan\"=\"o\"\r\n", "\"Cut\"=\"hal\r\n"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept;
    EXPECT_EQ(text.find("no closing quote"), std::string::npos);  // replaced by the new value
}

TEST_F(RegFileHiveTest, SettingATypedValueReplacesItWithText) {
    WriteHive(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\P]\r\n"
        "\"Count\"=dword:00000010\r\n");
    EXPECT_EQ(hive_.QueryValue({"Software", "P"}, "Count"), std::nullopt);
    ASSERT_TRUE(hive_.SetValue({"Software", "P"}, "count", "16"));
    EXPECT_EQ(HiveText(),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\P]\r\n"
              "\"Count\"=\"16\"\r\n\r\n");
}

TEST_F(RegFileHiveTest, AWriteThatCannotBeDoneLeavesTheHiveAlone) {
    // The folder cannot be created: a file is in its way.
    TempDir other;
    WriteFileBytes(other / "mirabel", "not a folder");
    RegFileHive blocked(other / "mirabel" / "hkcu.reg");
    EXPECT_FALSE(blocked.SetValue(kArchiveKey, "v", "1"));

    // A hive that exists but cannot be read is not replaced by one holding only the new value.
    std::filesystem::create_directories(hivePath());
    EXPECT_FALSE(hive_.SetValue(kArchiveKey, "v", "1"));
    EXPECT_TRUE(std::filesystem::is_directory(hivePath()));

    // A key line cannot carry a line feed.
    RegFileHive fresh(dir_ / "fresh.reg");
    EXPECT_FALSE(fresh.SetValue({"Software", "two\nlines"}, "v", "1"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "fresh.reg"));
}

// A write that fails on the way reports it and leaves the hive as it was, with no temporary
// file beside it.
TEST_F(RegFileHiveTest, AFailedWriteLeavesTheOldHive) {
    ASSERT_TRUE(hive_.SetValue(kArchiveKey, "v", "1"));
    const std::string before = HiveText();
    const struct {
        SystemCall call;
        int nth;
    } cases[] = {
        {SystemCall::Open, 1},  // the lock file
        {SystemCall::Open, 3},  // the new hive, after the lock file and the old hive
        {SystemCall::Write, 1}, {SystemCall::Fsync, 1}, {SystemCall::Rename, 1},
    };
    for (const auto& c : cases) {
        {
            const ScopedSystemCallFault fault(c.call, c.nth, ENOSPC);
            EXPECT_FALSE(hive_.SetValue(kArchiveKey, "v", "2"));
        }
        EXPECT_EQ(HiveText(), before);
        EXPECT_EQ(FolderNames(hivePath().parent_path()),
                  (std::vector<std::string>{"hkcu.reg", "hkcu.reg.lock"}));
    }
    ASSERT_TRUE(hive_.SetValue(kArchiveKey, "v", "2"));
    EXPECT_EQ(hive_.QueryValue(kArchiveKey, "v"), "2");
}

TEST_F(RegFileHiveTest, WritesFollowASymbolicLink) {
    std::filesystem::create_directories(hivePath().parent_path());
    WriteFileBytes(dir_ / "real.reg", "");
    std::filesystem::create_symlink(dir_ / "real.reg", hivePath());
    ASSERT_TRUE(hive_.SetValue(kArchiveKey, "v", "1"));
    EXPECT_TRUE(std::filesystem::is_symlink(hivePath()));
    EXPECT_EQ(RegFileHive(dir_ / "real.reg").QueryValue(kArchiveKey, "v"), "1");
}

TEST_F(RegFileHiveTest, ConcurrentWritersInTwoProcessesLoseNothing) {
    constexpr int kWritesPerProcess = 40;
    std::vector<pid_t> children;
    for (const char* writer : {"a", "b"}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RegFileHive own(hivePath());
            bool allWritten = true;
            for (int i = 0; i < kWritesPerProcess; ++i)
                allWritten &= own.SetValue(kArchiveKey, writer + std::to_string(i), "x");
            ::_exit(allWritten ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (const char* writer : {"a", "b"})
        for (int i = 0; i < kWritesPerProcess; ++i)
            EXPECT_EQ(hive_.QueryValue(kArchiveKey, writer + std::to_string(i)), "x");
}

TEST(UserHive, LivesUnderXdgConfigHomeOrTheHomeConfigFolder) {
    TempDir dir;
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", dir.path().string());
        EXPECT_EQ(RegFileHive::DefaultPath(), dir / "mirabel" / "hkcu.reg");
        ASSERT_TRUE(OpenUserHive()->SetValue(kArchiveKey, "v", "1"));
        EXPECT_EQ(RegFileHive(dir / "mirabel" / "hkcu.reg").QueryValue(kArchiveKey, "v"), "1");
    }
    ScopedEnv home("HOME", dir.path().string());
    for (const char* unusable : {"", "relative/config"}) {
        ScopedEnv xdg("XDG_CONFIG_HOME", unusable);
        EXPECT_EQ(RegFileHive::DefaultPath(), dir / ".config" / "mirabel" / "hkcu.reg");
    }
}

}  // namespace

}  // namespace mirabel
