#include "config/SettingsStore.h"

#include <gtest/gtest.h>

#include <climits>

#include "app/ProcessState.h"
#include "fixtures/TempDir.h"
#include "platform/RegFileHive.h"

namespace mirabel {

namespace {

// Each test runs in a fresh current directory (where "regkey.txt" is looked for), with a
// fresh hive and no product key read yet.
class SettingsStoreTest : public ::testing::Test {
  protected:
    SettingsStoreTest() { ResetProcessState(); }
    ~SettingsStoreTest() override { ResetProcessState(); }

    std::string HiveText() const { return ReadFileBytes(hive_.file()); }

    TempDir dir_;
    ScopedCurrentDir cwd_{dir_.path()};
    RegFileHive hive_{dir_ / "config" / "hkcu.reg"};
    std::string currentArchive_;
    SettingsStore store_{hive_, [this] { return currentArchive_; }};
};

TEST_F(SettingsStoreTest, EachDestinationHasItsOwnSettings) {
    ASSERT_TRUE(store_.SetSetting("Archive", "Max Studies", IntToSetting(10)));
    EXPECT_NE(HiveText().find("[HKEY_CURRENT_USER\\Software\\Corvana Mirabel\\Archive]\r\n"
                              "\"Max Studies\"=\"10\"\r\n"),
              std::string::npos);

    currentArchive_ = "NFS:x";
    EXPECT_EQ(store_.GetSetting("Archive", "Max Studies", "500"), "500");
    ASSERT_TRUE(store_.SetSetting("Archive", "Max Studies", "20"));
    EXPECT_NE(HiveText().find("[HKEY_CURRENT_USER\\Software\\Corvana Mirabel\\NFS:x\\Archive]\r\n"
                              "\"Max Studies\"=\"20\"\r\n"),
              std::string::npos);
    EXPECT_EQ(store_.GetSetting("Archive", "Max Studies", "500"), "20");

    currentArchive_.clear();
    EXPECT_EQ(store_.GetSetting("Archive", "Max Studies", "500"), "10");
    // Sections, keys and ids compare ignoring case, as in the registry.
    currentArchive_ = "nfs:X";
    EXPECT_EQ(store_.GetSetting("ARCHIVE", "max studies", "500"), "20");
}

TEST_F(SettingsStoreTest, ReadsGiveTheDefaultAndCreateNothing) {
    EXPECT_EQ(store_.GetSetting("Database", "DB_Type", "JET"), "JET");
    EXPECT_FALSE(std::filesystem::exists(hive_.file().parent_path()));

    ASSERT_TRUE(store_.SetSetting("Database", "DB_Type", "SQL"));
    currentArchive_ = "FTP:10.0.0.5";
    EXPECT_EQ(store_.GetSetting("Database", "DB_Type", "JET"), "JET");
    EXPECT_EQ(store_.GetSetting("Delete", "ByDate", "FALSE"), "FALSE");
    EXPECT_FALSE(hive_.KeyExists({"Software", "Corvana Mirabel", "FTP:10.0.0.5"}));
    EXPECT_EQ(HiveText().find("Delete"), std::string::npos);
}

TEST_F(SettingsStoreTest, AValueMustFitTheReadBuffer) {
    const std::string longest(kSettingReadBuffer - 1, 'x');
    ASSERT_TRUE(store_.SetSetting("Database", "Image Path", longest));
    EXPECT_EQ(store_.GetSetting("Database", "Image Path", "default"), longest);

    ASSERT_TRUE(store_.SetSetting("Database", "Image Path", longest + "x"));
    EXPECT_EQ(store_.GetSetting("Database", "Image Path", "default"), "default");
}

TEST_F(SettingsStoreTest, ProductKeyComesFromTheFirstLineOfRegkeyTxt) {
    struct Case {
        std::string fileText;
        std::string productKey;
    };
    const Case cases[] = {
        {"A\r\nsecond line\r\n", "A"},
        {"\nSkipped", "Corvana Mirabel"},        // an empty first line
        {"", "Corvana Mirabel"},                 // an empty file
        {" Padded Key \n", " Padded Key "},      // no trimming
        {"Vendor\\Product", "Vendor\\Product"},  // no line end; two registry levels
        {"Mid\rLine\n", "Mid\rLine"},            // only a CR before the LF is dropped
    };
    for (const Case& c : cases) {
        ResetProductKey();
        WriteFileBytes(dir_ / "regkey.txt", c.fileText);
        ASSERT_TRUE(store_.SetSetting("Archive", "Reside", "TRUE")) << c.fileText;
        EXPECT_EQ(g_strProductKey, c.productKey);
        RegistryPath section{"Software"};
        section.push_back(c.productKey);
        section.push_back("Archive");
        EXPECT_EQ(hive_.QueryValue(section, "Reside"), "TRUE") << c.fileText;
    }
}

TEST_F(SettingsStoreTest, ProductKeyIsReadOncePerProcess) {
    EXPECT_FALSE(ReadProductKeyFile());  // no regkey.txt in the current directory
    EXPECT_EQ(store_.GetSetting("Archive", "Final", "FALSE"), "FALSE");
    EXPECT_EQ(g_strProductKey, kDefaultProductKey);

    WriteFileBytes(dir_ / "regkey.txt", "Other\r\n");
    ASSERT_TRUE(store_.SetSetting("Archive", "Final", "TRUE"));
    EXPECT_EQ(g_strProductKey, kDefaultProductKey);
    EXPECT_NE(HiveText().find("\\Corvana Mirabel\\Archive]"), std::string::npos);
    EXPECT_EQ(HiveText().find("Other"), std::string::npos);
}

TEST_F(SettingsStoreTest, TwoStoresOverOneFileSeeEachOthersWrites) {
    RegFileHive otherHive(hive_.file());
    SettingsStore other(otherHive, [] { return std::string("REM:DVD"); });
    currentArchive_ = "REM:DVD";
    ASSERT_TRUE(store_.SetSetting("Archive", "StartTime", "10:30"));
    EXPECT_EQ(other.GetSetting("Archive", "StartTime", "None"), "10:30");
    ASSERT_TRUE(other.SetSetting("Archive", "StopTime", "11:00"));
    EXPECT_EQ(store_.GetSetting("Archive", "StopTime", "None"), "11:00");
    EXPECT_EQ(store_.GetSetting("Archive", "StartTime", "None"), "10:30");
}

TEST_F(SettingsStoreTest, StoredTextIsReadByTheCallersConventions) {
    ASSERT_TRUE(store_.SetSetting("Archive", "SendAll", "true"));
    EXPECT_FALSE(SettingIsTrue(store_.GetSetting("Archive", "SendAll", "TRUE")));
    EXPECT_TRUE(SettingIsTrue(store_.GetSetting("Archive", "Prelim", BoolToSetting(true))));
    EXPECT_FALSE(SettingIsTrue("TRUE "));
}

TEST(SettingConversions, IntegersFollowAtoiAndPrintf) {
    EXPECT_EQ(SettingToInt("42"), 42);
    EXPECT_EQ(SettingToInt("  -7 days"), -7);
    EXPECT_EQ(SettingToInt("+3"), 3);
    EXPECT_EQ(SettingToInt("12abc"), 12);
    EXPECT_EQ(SettingToInt("abc"), 0);
    EXPECT_EQ(SettingToInt(""), 0);
    EXPECT_EQ(SettingToInt("99999999999"), INT_MAX);  // clamped instead of undefined
    EXPECT_EQ(SettingToInt("-99999999999"), INT_MIN);
    EXPECT_EQ(IntToSetting(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(IntToSetting(500), "500");
}

}  // namespace

}  // namespace mirabel
