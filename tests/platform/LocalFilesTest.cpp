#include <gtest/gtest.h>

#include <sys/stat.h>

#include "fixtures/RandomBytes.h"
#include "fixtures/TempDir.h"
#include "platform/FileAttributes.h"
#include "platform/FileCopy.h"
#include "platform/FreeSpace.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

TEST(FileCopy, CopiesEveryByteAndReplacesALongerDestination) {
    TempDir dir;
    const std::string image = RandomBytes(3 * 1024 * 1024 + 17, 1);
    WriteFileBytes(dir / "image.dcm", image);
    WriteFileBytes(dir / "empty.dat", "");
    WriteFileBytes(dir / "copy.dcm", std::string(5 * 1024 * 1024, 'x'));
    std::string error;
    ASSERT_TRUE(CopyFileReplacing(dir / "image.dcm", dir / "copy.dcm", error)) << error;
    EXPECT_TRUE(ReadFileBytes(dir / "copy.dcm") == image);
    ASSERT_TRUE(CopyFileReplacing(dir / "empty.dat", dir / "empty.copy", error)) << error;
    EXPECT_EQ(fs::file_size(dir / "empty.copy"), 0u);
}

TEST(FileCopy, ReportsWhatWentWrong) {
    TempDir dir;
    WriteFileBytes(dir / "a.dcm", "abc");
    fs::create_directory(dir / "folder");
    std::string error;
    EXPECT_FALSE(CopyFileReplacing(dir / "missing.dcm", dir / "b.dcm", error));
    EXPECT_NE(error.find("missing.dcm"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "b.dcm"));
    error.clear();
    EXPECT_FALSE(CopyFileReplacing(dir / "folder", dir / "b.dcm", error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos);
    error.clear();
    EXPECT_FALSE(CopyFileReplacing(dir / "a.dcm", dir / "no" / "such" / "b.dcm", error));
    EXPECT_NE(error.find("cannot create"), std::string::npos);
}

TEST(FileCopy, NeverTruncatesTheSourceThroughAnotherPathToIt) {
    TempDir dir;
    WriteFileBytes(dir / "a.dcm", "original");
    fs::create_directory_symlink(dir.path(), dir / "alias");
    std::string error;
    EXPECT_FALSE(CopyFileReplacing(dir / "a.dcm", dir / "alias" / "a.dcm", error));
    EXPECT_NE(error.find("same file"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir / "a.dcm"), "original");
}

TEST(FreeSpace, ReportsTheFileSystemsAvailableBytes) {
    TempDir dir;
    const std::optional<std::uint64_t> free = FreeBytesAvailable(dir.path());
    ASSERT_TRUE(free.has_value());
    EXPECT_GT(*free, 0u);
    EXPECT_LE(*free, fs::space(dir.path()).capacity);
    EXPECT_FALSE(FreeBytesAvailable(dir / "missing").has_value());
}

TEST(FileAttributes, ReadOnlyFileBecomesWritableOthersStayAsTheyWere) {
    TempDir dir;
    WriteFileBytes(dir / "ro.dcm", "x");
    WriteFileBytes(dir / "rw.dcm", "x");
    fs::permissions(dir / "ro.dcm", fs::perms::owner_read | fs::perms::group_read);
    fs::permissions(dir / "rw.dcm", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(IsReadOnly(dir / "ro.dcm"));
    EXPECT_FALSE(IsReadOnly(dir / "rw.dcm"));
    std::string error;
    EXPECT_TRUE(ResetTransferredFileAttributes(dir / "ro.dcm", error)) << error;
    EXPECT_TRUE(ResetTransferredFileAttributes(dir / "rw.dcm", error)) << error;
    EXPECT_EQ(fs::status(dir / "ro.dcm").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(fs::status(dir / "rw.dcm").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace

}  // namespace mirabel
