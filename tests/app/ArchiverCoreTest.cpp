#include "app/ArchiverCore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "app/WindowRun.h"
#include "app/AppPaths.h"
#include "archive/RunLock.h"
#include "config/ArchiveDestination.h"
#include "fixtures/ProgramDirectory.h"

namespace mirabel {

namespace {

TEST(ArchiverCore, ConstructionReadsFromDirectlyUnderTheProductKey) {
    ProgramDirectory dir;
    dir.Store("", "Database", "Image Path", "/images");
    dir.Store("", "Archive", "Max Studies", "12abc");  // leading-number conversion
    dir.Store("", "Archive", "StartTime", "02:00");
    dir.Store("", "Database", "DB_Type", "ORACLE");
    dir.Store("", "Archive", "Reside", "TRUE");  // criteria are not read at construction

    ArchiverCore core(dir.Hive());
    core.LoadInitialSettings();

    const ArchiverConfig& config = core.Config();
    EXPECT_EQ(config.m_strImagePath, "/images");
    EXPECT_EQ(config.m_nMaxStudies, 12);
    EXPECT_EQ(config.m_nDaysBeforeArchive, 0);
    EXPECT_EQ(config.m_strStartTime, "02:00");
    EXPECT_EQ(config.m_strStopTime, "None");
    EXPECT_EQ(config.m_strDbType, "ORACLE");
    EXPECT_FALSE(config.m_bReside);
    EXPECT_EQ(config.m_nIncrement, 1);
    EXPECT_EQ(core.Window().m_strStatus, "No Studies To Archive!!");
    EXPECT_EQ(g_strAppDir, dir.path().string() + "/");
    EXPECT_EQ(g_strArchivesFile, g_strAppDir + "archives.p");
    EXPECT_EQ(g_strScriptFile, g_strAppDir + "pcode.txt");
}

TEST(ArchiverCore, SelectingADestinationLoadsItsWholeSettingsSet) {
    ProgramDirectory dir;
    WriteFileBytes(dir / "archives.p", "NFS\n/mnt/a\nlab\nEND\n");
    WriteFileBytes(dir / "Default.cfg", "");
    dir.Store("NFS:lab", "Archive", "ReplicateMethod", "FALSE");
    dir.Store("NFS:lab", "Archive", "SendAll", "true");  // lower case is not "TRUE"
    dir.Store("NFS:lab", "Archive", "Increment", "15");
    dir.Store("NFS:lab", "Archive", "IncrementMode", "TRUE");
    dir.Store("NFS:lab", "Archive", "Final", "TRUE");
    dir.Store("NFS:lab", "Database", "SQL_Server", "db01");

    ArchiverCore core(dir.Hive());
    core.LoadInitialSettings();
    ASSERT_TRUE(core.ReadCurrentArchiveFile());
    EXPECT_EQ(core.ReadDestinationList(), std::vector<std::string>{"NFS:lab"});
    core.SelectArchive("NFS:lab");
    const ArchiverConfig& config = core.Config();

    EXPECT_EQ(ReadFileBytes(dir / "Default.cfg"), "NFS:lab");
    ASSERT_NE(g_pCurrentArchive, nullptr);
    EXPECT_FALSE(config.m_bReplicate);
    EXPECT_FALSE(config.m_bSendAll);
    EXPECT_EQ(config.m_nIncrement, 15);
    EXPECT_TRUE(config.m_bIncrementMode);
    EXPECT_TRUE(config.m_bFinal);
    EXPECT_FALSE(config.m_bPrelim);
    EXPECT_EQ(config.m_strDbField, "ARCHIVE_PATH");
    EXPECT_EQ(config.m_strSqlServer, "db01");
    EXPECT_EQ(config.m_strDbType, "JET");

    // Stores now go to the destination's subkey.
    core.StoreDatabaseSetting("Image Path", "/images/lab");
    EXPECT_EQ(dir.Stored("NFS:lab", "Database", "Image Path"), "/images/lab");
    EXPECT_FALSE(dir.Stored("", "Database", "Image Path"));
}

// A core on the folder destination "NFS:lab" with waiting studies, loaded as at start-up.
class ArchiverCoreRules : public ::testing::Test {
  protected:
    void SetUp() override {
        dir.StoreFolderArchive(3, 1);
        WriteFileBytes(dir / "Default.cfg", "NFS:lab");
    }
    std::unique_ptr<ArchiverCore> LoadedCore() {
        auto core = std::make_unique<ArchiverCore>(dir.Hive());
        core->LoadInitialSettings();
        EXPECT_TRUE(core->ReadCurrentArchiveFile());
        core->ReadDestinationList();
        core->SelectArchive("NFS:lab");
        return core;
    }
    // What the controls show of the core's configuration.
    static ControlValues Shown(const ArchiverConfig& c) {
        return {c.m_strDatabaseFile,
                c.m_strImagePath,
                c.m_nMaxStudies,
                c.m_nDaysBeforeArchive,
                c.m_strDatabasePassword,
                c.m_strSqlServer,
                c.m_strSqlUser,
                c.m_strSqlPassword,
                c.m_strSqlDb,
                c.m_strDbField,
                c.m_bReside,
                c.m_bPrelim,
                c.m_bMaxStudies,
                c.m_bFinal,
                c.m_nIncrement};
    }

    ProgramDirectory dir;
};

TEST_F(ArchiverCoreRules, ControlValuesAreTakenInOrderUpToTheFirstEditThatIsNoNumber) {
    const struct {
        IntegerEdit unreadable;
        bool sqlServerTaken;
        bool resideTaken;
    } rows[] = {{IntegerEdit::MaxStudies, false, false},
                {IntegerEdit::DaysBeforeArchive, false, false},
                {IntegerEdit::Increment, true, true}};
    for (const auto& row : rows) {
        auto core = LoadedCore();
        ControlValues values = Shown(core->Config());
        values.imagePath = "/typed";
        values.sqlServer = "db9";
        values.reside = true;
        values.maxStudies = 77;
        values.increment = 9;
        (row.unreadable == IntegerEdit::MaxStudies          ? values.maxStudies
         : row.unreadable == IntegerEdit::DaysBeforeArchive ? values.daysBeforeArchive
                                                            : values.increment) = std::nullopt;
        EXPECT_EQ(core->TakeControlValues(values), row.unreadable);
        const ArchiverConfig& config = core->Config();
        EXPECT_EQ(config.m_strImagePath, "/typed");
        EXPECT_EQ(config.m_nMaxStudies, row.unreadable == IntegerEdit::MaxStudies ? 500 : 77);
        EXPECT_EQ(config.m_strSqlServer == "db9", row.sqlServerTaken);
        EXPECT_EQ(config.m_bReside, row.resideTaken);
        EXPECT_EQ(config.m_nIncrement, 1);
    }
}

// The database file dialog's default extension: only a name without one that names no file
// is completed.
TEST_F(ArchiverCoreRules, ABrowsedDatabaseFileWithoutExtensionGetsMdb) {
    auto core = LoadedCore();
    WriteFileBytes(dir / "plain", "an existing file without extension");
    const std::string root = dir.path().string();
    const struct {
        std::string chosen;
        std::string stored;
    } cases[] = {
        {root + "/corvana", root + "/corvana.mdb"},
        {root + "/echo.v2/corvana", root + "/echo.v2/corvana.mdb"},  // a dot in a folder
        {root + "/corvana.MDB", root + "/corvana.MDB"},
        {root + "/corvana.db", root + "/corvana.db"},
        {root + "/plain", root + "/plain"},
    };
    for (const auto& c : cases) {
        core->ChangeDatabaseFile(c.chosen);
        EXPECT_EQ(dir.Stored("NFS:lab", "Database", "Database File"), c.stored);
        EXPECT_EQ(core->Config().m_strDatabaseFile, c.stored);
    }
}

TEST(IntegerEdit, ReadsASignedNumberBetweenBlanksAndNothingElse) {
    const struct {
        const char* text;
        std::optional<int> value;
    } rows[] = {{"12", 12},
                {" 12 ", 12},
                {"-3", -3},
                {"0\t", 0},
                {"", std::nullopt},
                {"2x", std::nullopt},
                {"1 2", std::nullopt},
                {"x1", std::nullopt},
                {"99999999999", std::nullopt}};
    for (const auto& row : rows) EXPECT_EQ(ReadIntegerEdit(row.text), row.value) << row.text;
}

TEST_F(ArchiverCoreRules, ReplicateTakesTheStoredColumnOnlyWhenExamHasIt) {
    // A column the system itself uses is never offered, so never taken.
    const struct {
        const char* stored;
        const char* column;
    } rows[] = {{"NOT_A_COLUMN", ""}, {"archive_path", "ARCHIVE_PATH"}, {"EXAM_ID", ""}};
    for (const auto& row : rows) {
        dir.Store("NFS:lab", "Archive", "DBField", row.stored);
        auto core = LoadedCore();
        const std::vector<std::string> columns = core->ChooseReplicateMethod();
        EXPECT_EQ(core->Config().m_strDbField, row.column) << row.stored;
        EXPECT_EQ(columns, std::vector<std::string>{"ARCHIVE_PATH"});
        EXPECT_TRUE(core->Config().m_bReplicate);
        EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "ReplicateMethod"), "TRUE");
        EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "DBField"), row.stored);
    }
}

TEST_F(ArchiverCoreRules, ArchiveMethodArchivesIntoArchivePathAndCountsWhatWaitsThere) {
    dir.Store("NFS:lab", "Archive", "DBField", "EXAM_ID");
    auto core = LoadedCore();
    core->ChooseArchiveMethod();
    EXPECT_EQ(core->Config().m_strDbField, "ARCHIVE_PATH");
    EXPECT_FALSE(core->Config().m_bReplicate);
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "ReplicateMethod"), "FALSE");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "DBField"), "EXAM_ID");  // kept for Replicate
    EXPECT_EQ(core->Window().m_strStatus, "3 studies to be archived");

    core->ChooseArchiveColumn("ARCHIVE_PATH");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "DBField"), "ARCHIVE_PATH");
}

TEST_F(ArchiverCoreRules, OnlyTheMaximumCountSwitchLeavesTheCountAsItIs) {
    const struct {
        Criterion criterion;
        const char* key;
        bool recounts;
    } rows[] = {{Criterion::Reside, "Reside", true},
                {Criterion::Prelim, "Prelim", true},
                {Criterion::Final, "Final", true},
                {Criterion::MaxStudies, "MaxStudies", false}};
    for (const auto& row : rows) {
        auto core = LoadedCore();
        ControlValues values = Shown(core->Config());
        values.reside = values.prelim = values.final = values.maxStudiesOn = true;
        ASSERT_FALSE(core->TakeControlValues(values));
        core->ApplyCriterion(row.criterion);
        EXPECT_EQ(dir.Stored("NFS:lab", "Archive", row.key), "TRUE");
        EXPECT_EQ(core->Window().m_strStatus != "No Studies To Archive!!", row.recounts) << row.key;
    }
}

TEST_F(ArchiverCoreRules, StartTimeMeansStartTimeModeWithAOneMinuteTick) {
    dir.Store("NFS:lab", "Archive", "IncrementMode", "TRUE");
    dir.Store("NFS:lab", "Archive", "Increment", "5");
    auto core = LoadedCore();
    EXPECT_EQ(core->StartTimeForEditing(), "");  // "None" is shown as nothing

    core->SetStartTime("7:5");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "StartTime"), "7:5");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "IncrementMode"), "FALSE");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "Increment"), "5");  // kept for increment mode
    EXPECT_FALSE(core->Config().m_bIncrementMode);
    EXPECT_EQ(core->SchedulePeriodMs(), 60000);
    EXPECT_EQ(core->StartTimeForEditing(), "7:5");

    core->SetStartTime("");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "StartTime"), "None");
}

TEST_F(ArchiverCoreRules, StopTimeIsStoredAndLeavesTheScheduleAlone) {
    auto core = LoadedCore();
    core->SetStopTime("18:30");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "StopTime"), "18:30");
    EXPECT_FALSE(dir.Stored("NFS:lab", "Archive", "IncrementMode"));
    EXPECT_FALSE(dir.Stored("NFS:lab", "Archive", "StartTime"));
}

TEST_F(ArchiverCoreRules, IncrementBelowOneIsRefusedAndTheStoredOneComesBack) {
    dir.Store("NFS:lab", "Archive", "StartTime", "02:00");
    auto core = LoadedCore();
    ControlValues values = Shown(core->Config());
    values.increment = 5;
    ASSERT_FALSE(core->TakeControlValues(values));
    ASSERT_TRUE(core->SetIncrement());
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "Increment"), "5");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "IncrementMode"), "TRUE");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "StartTime"), "None");
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "StopTime"), "None");
    EXPECT_EQ(core->SchedulePeriodMs(), 5 * 60000);

    for (int refused : {0, -3}) {
        values.increment = refused;
        ASSERT_FALSE(core->TakeControlValues(values));
        EXPECT_FALSE(core->SetIncrement()) << refused;
        EXPECT_EQ(core->Config().m_nIncrement, 5);
        EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "Increment"), "5");
    }
}

TEST_F(ArchiverCoreRules, LongIncrementKeepsALongPeriod) {
    // The timer takes an int of milliseconds: 35791 minutes still fit; longer increments get
    // the longest period instead of wrapping round (71583 minutes would tick every 13 s).
    const struct {
        const char* stored;
        int periodMs;
    } increments[] = {{"35791", 35791 * 60000}, {"35792", INT_MAX}, {"71583", INT_MAX}};
    for (const auto& entry : increments) {
        dir.Store("NFS:lab", "Archive", "Increment", entry.stored);
        EXPECT_EQ(LoadedCore()->SchedulePeriodMs(), entry.periodMs) << entry.stored;
    }
}

TEST_F(ArchiverCoreRules, ARunIsInProgressExactlyWhileItsMarkerLives) {
    auto core = LoadedCore();
    std::string refusal;
    {
        std::optional<RunMarker> run = core->BeginRun(refusal);
        ASSERT_TRUE(run) << refusal;
        EXPECT_TRUE(core->RunInProgress());
        EXPECT_FALSE(core->BeginRun(refusal));
        EXPECT_NE(refusal, "");

        const RunMarker moved = std::move(*run);
        run.reset();  // the moved-from marker ends nothing
        EXPECT_TRUE(core->RunInProgress());
    }
    EXPECT_FALSE(core->RunInProgress());
    EXPECT_TRUE(core->BeginRun(refusal));
}

TEST_F(ArchiverCoreRules, NoRunBeginsWithoutTheStartDirectorysRunLock) {
    auto core = LoadedCore();
    std::string refusal;
    {
        const auto otherRun = TakeRunLock(dir.path(), refusal);
        ASSERT_TRUE(otherRun) << refusal;
        EXPECT_FALSE(core->BeginRun(refusal));
        EXPECT_EQ(refusal, kAnotherRunInProgress);
        EXPECT_FALSE(core->RunInProgress());
    }
    std::filesystem::remove(dir / kRunLockFile);
    std::filesystem::create_directory(dir / kRunLockFile);
    EXPECT_FALSE(core->BeginRun(refusal));
    EXPECT_NE(refusal.find("cannot open"), std::string::npos) << refusal;
}

}  // namespace

}  // namespace mirabel
