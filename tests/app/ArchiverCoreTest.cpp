#include "app/ArchiverCore.h"

#include <gtest/gtest.h>

#include "app/AppPaths.h"
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

    EXPECT_EQ(core.m_strImagePath, "/images");
    EXPECT_EQ(core.m_nMaxStudies, 12);
    EXPECT_EQ(core.m_nDaysBeforeArchive, 0);
    EXPECT_EQ(core.m_strStartTime, "02:00");
    EXPECT_EQ(core.m_strStopTime, "None");
    EXPECT_EQ(core.m_strDbType, "ORACLE");
    EXPECT_FALSE(core.m_bReside);
    EXPECT_EQ(core.m_nIncrement, 1);
    EXPECT_EQ(core.m_strStatus, "No Studies To Archive!!");
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

    EXPECT_EQ(ReadFileBytes(dir / "Default.cfg"), "NFS:lab");
    ASSERT_NE(g_pCurrentArchive, nullptr);
    EXPECT_FALSE(core.m_bReplicate);
    EXPECT_FALSE(core.m_bSendAll);
    EXPECT_EQ(core.m_nIncrement, 15);
    EXPECT_TRUE(core.m_bIncrementMode);
    EXPECT_TRUE(core.m_bFinal);
    EXPECT_FALSE(core.m_bPrelim);
    EXPECT_EQ(core.m_strDbField, "ARCHIVE_PATH");
    EXPECT_EQ(core.m_strSqlServer, "db01");
    EXPECT_EQ(core.m_strDbType, "JET");

    // Stores now go to the destination's subkey.
    core.StoreInt("Archive", "Max Studies", 10);
    EXPECT_EQ(dir.Stored("NFS:lab", "Archive", "Max Studies"), "10");
    EXPECT_FALSE(dir.Stored("", "Archive", "Max Studies"));
}

}  // namespace

}  // namespace mirabel
