#include "config/CurrentArchiveFile.h"

#include <gtest/gtest.h>

#include "fixtures/TempDir.h"

namespace mirabel {

namespace {

class CurrentArchiveFile : public ::testing::Test {
  protected:
    TempDir dir;
    ScopedCurrentDir cwd{dir.path()};
};

TEST_F(CurrentArchiveFile, MissingFileIsCreatedEmptyAndLeavesTheIdAlone) {
    std::string id = "unchanged";
    EXPECT_EQ(ReadOrCreateCurrentArchiveFile(id), CurrentArchiveFileResult::Created);
    EXPECT_EQ(id, "unchanged");
    ASSERT_TRUE(std::filesystem::is_regular_file(dir / "Default.cfg"));
    EXPECT_EQ(std::filesystem::file_size(dir / "Default.cfg"), 0u);

    // The second start finds it, empty: still no id.
    EXPECT_EQ(ReadOrCreateCurrentArchiveFile(id), CurrentArchiveFileResult::Read);
    EXPECT_EQ(id, "unchanged");
}

TEST_F(CurrentArchiveFile, EveryByteUpToTheLimitIsTheId) {
    // A line end typed by hand is part of the id, so it matches no destination.
    WriteFileBytes(dir / "Default.cfg", "FTP:10.0.0.5\r\n");
    std::string id;
    EXPECT_EQ(ReadOrCreateCurrentArchiveFile(id), CurrentArchiveFileResult::Read);
    EXPECT_EQ(id, "FTP:10.0.0.5\r\n");

    WriteFileBytes(dir / "Default.cfg", "NFS:" + std::string(300, 'x'));
    EXPECT_EQ(ReadOrCreateCurrentArchiveFile(id), CurrentArchiveFileResult::Read);
    EXPECT_EQ(id, "NFS:" + std::string(252, 'x'));
}

TEST_F(CurrentArchiveFile, FolderInItsPlaceFailsAndIsNotWritten) {
    std::filesystem::create_directory(dir / "Default.cfg");
    std::string id;
    EXPECT_EQ(ReadOrCreateCurrentArchiveFile(id), CurrentArchiveFileResult::Failed);
    EXPECT_NO_THROW(WriteCurrentArchiveFile("FTP:1.2.3.4"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Default.cfg"));
}

TEST_F(CurrentArchiveFile, ShorterIdLeavesNoTraceOfALongerOne) {
    WriteFileBytes(dir / "Default.cfg", "CORVA:192.168.100.200");
    WriteCurrentArchiveFile("REM:CD");
    EXPECT_EQ(ReadFileBytes(dir / "Default.cfg"), "REM:CD");
    WriteCurrentArchiveFile("NFS:Shelf A");
    EXPECT_EQ(ReadFileBytes(dir / "Default.cfg"), "NFS:Shelf A");
}

TEST_F(CurrentArchiveFile, WritingNeverCreatesTheFile) {
    WriteCurrentArchiveFile("REM:CD");
    EXPECT_FALSE(std::filesystem::exists(dir / "Default.cfg"));
}

}  // namespace

}  // namespace mirabel
