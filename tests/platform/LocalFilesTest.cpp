#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "fixtures/FileCreationLimits.h"
#include "fixtures/RandomBytes.h"
#include "fixtures/TempDir.h"
#include "core/TextFile.h"
#include "log/LogFileReader.h"
#include "platform/FileAttributes.h"
#include "platform/FileCopy.h"
#include "platform/FileIo.h"
#include "platform/FolderEntries.h"
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

// The call's result when it ends within the time, in a child process so that a call that
// waits for ever (an open of a FIFO) fails the test instead of hanging it; nullopt when it had
// to be stopped.
std::optional<bool> FinishesWithin(std::chrono::seconds limit, const std::function<bool()>& call) {
    const pid_t child = fork();
    if (child == 0) _exit(call() ? 0 : 1);
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

fs::file_type TypeAt(const fs::path& path) {
    return fs::symlink_status(path).type();
}

TEST(FileCopy, AFailedCopyLeavesTheEarlierCopyWhole) {
    TempDir dir;
    WriteFileBytes(dir / "image.dcm", RandomBytes(256 * 1024, 2));
    WriteFileBytes(dir / "copy.dcm", "the earlier copy");
    std::string error;
    {
        const FileSizeLimit diskFullAfter(64 * 1024);
        EXPECT_FALSE(CopyFileReplacing(dir / "image.dcm", dir / "copy.dcm", error));
    }
    EXPECT_EQ(ReadFileBytes(dir / "copy.dcm"), "the earlier copy");
    // Nor does the unfinished copy stay behind to be taken for a file of the study.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(FileCopy, LinksAndSpecialFilesAtEitherEndAreNeverFollowedOrOpened) {
    const struct {
        const char* name;
        std::function<void(const TempDir&)> plant;
        const char* from;
        bool copied;
        fs::file_type destinationAfter;
    } cases[] = {
        {"a link at the destination is replaced",
         [](const TempDir& d) { fs::create_symlink(d / "victim.txt", d / "copy.dcm"); },
         "image.dcm", true, fs::file_type::regular},
        {"a FIFO at the destination is refused",
         [](const TempDir& d) { mkfifo((d / "copy.dcm").c_str(), 0600); }, "image.dcm", false,
         fs::file_type::fifo},
        {"a FIFO as the source is refused",
         [](const TempDir& d) { mkfifo((d / "pipe.dcm").c_str(), 0600); }, "pipe.dcm", false,
         fs::file_type::not_found},
        {"a link as the source is refused",
         [](const TempDir& d) { fs::create_symlink(d / "victim.txt", d / "link.dcm"); }, "link.dcm",
         false, fs::file_type::not_found},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteFileBytes(dir / "image.dcm", "study image");
        WriteFileBytes(dir / "victim.txt", "outside the stores");
        c.plant(dir);
        const std::optional<bool> copied = FinishesWithin(std::chrono::seconds(5), [&] {
            std::string error;
            return CopyFileReplacing(dir / c.from, dir / "copy.dcm", error);
        });
        EXPECT_EQ(copied, c.copied) << c.name;
        EXPECT_EQ(TypeAt(dir / "copy.dcm"), c.destinationAfter) << c.name;
        if (c.copied) {
            EXPECT_EQ(ReadFileBytes(dir / "copy.dcm"), "study image") << c.name;
        }
        EXPECT_EQ(ReadFileBytes(dir / "victim.txt"), "outside the stores") << c.name;
    }
}

TEST(FileCopy, TheCopyIsNeverMoreReadableThanItsOriginal) {
    const ScopedUmask usualMask(022);
    const struct {
        fs::perms original;
        bool earlierCopy;
    } cases[] = {
        {fs::perms::owner_read | fs::perms::owner_write, false},
        {fs::perms::owner_read | fs::perms::owner_write, true},
        {fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read, false},
        {fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read, true},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteFileBytes(dir / "image.dcm", "x");
        fs::permissions(dir / "image.dcm", c.original);
        if (c.earlierCopy) WriteFileBytes(dir / "copy.dcm", "older");
        std::string error;
        ASSERT_TRUE(CopyFileReplacing(dir / "image.dcm", dir / "copy.dcm", error)) << error;
        EXPECT_EQ(fs::status(dir / "copy.dcm").permissions(), c.original)
            << static_cast<int>(c.original) << (c.earlierCopy ? " over an earlier copy" : "");
    }
}

// A label or log file replaced by a FIFO or a folder reads as unreadable, and at once.
TEST(FileReaders, AFifoOrFolderWhereAFileWasExpectedIsRefusedWithoutWaiting) {
    TempDir dir;
    mkfifo((dir / "cvlabel.txt").c_str(), 0600);
    fs::create_directory(dir / "Error.log");
    WriteFileBytes(dir / "regkey.txt", "Corvana\r\nrest");
    const auto within = [](const std::function<bool()>& call) {
        return FinishesWithin(std::chrono::seconds(5), call);
    };
    EXPECT_EQ(within([&] { return !ReadFirstLine(dir / "cvlabel.txt"); }), true);
    EXPECT_EQ(within([&] { return ReadFirstLine(dir / "regkey.txt") == "Corvana"; }), true);
    for (const char* name : {"cvlabel.txt", "Error.log"})
        EXPECT_EQ(within([&] {
                      return ReadLogText((dir / name).string()).starts_with(kLogCannotBeRead);
                  }),
                  true)
            << name;
}

// An entry that changes between its check and its removal is a problem, as it would have been
// at the check, not a failed removal; a file that stays goes.
// A file is renamed away only while it is the file that was checked; anything swapped in
// meanwhile stays where it is, under its own name.
TEST(FolderEntries, AnEntryThatChangesAfterItsCheckIsNotRenamedAway) {
    const struct {
        const char* name;
        std::function<void(const fs::path&)> change;
        bool hidden;
    } cases[] = {
        {"stays.dcm", [](const fs::path&) {}, true},
        {"gone.dcm", [](const fs::path& file) { fs::remove(file); }, false},
        {"folder.dcm",
         [](const fs::path& file) {
             fs::remove(file);
             fs::create_directory(file);
         },
         false},
        {"other.dcm",
         [](const fs::path& file) {
             fs::remove(file);
             WriteFileBytes(file, "another file");
         },
         false},
    };
    TempDir dir;
    WriteFileBytes(dir / ".taken", "x");
    const FolderEntries entries(dir.path());
    for (const auto& c : cases) {
        WriteFileBytes(dir / c.name, "x");
        CheckedEntry entry = entries.Check(c.name);
        ASSERT_TRUE(entry.MayGo()) << entry.Reason();
        std::string why;
        EXPECT_FALSE(entries.Hide(entry, ".taken", why)) << c.name;  // nothing is replaced
        c.change(dir / c.name);
        EXPECT_EQ(entries.Hide(entry, ".hidden", why), c.hidden) << c.name;
        EXPECT_EQ(fs::exists(dir / ".hidden"), c.hidden) << c.name;
        EXPECT_EQ(entries.RemoveLeaf(".hidden").result, RemovalResult::Removed) << c.name;
    }
    EXPECT_EQ(ReadFileBytes(dir / "other.dcm"), "another file");
    EXPECT_TRUE(fs::is_directory(dir / "folder.dcm"));
}

// A study folder opened from the image root down is the folder below the root, or none: a
// folder on the way (or the folder itself) swapped for a link to a look-alike is not reached.
TEST(FolderEntries, AFolderOpenedFromItsRootIsNeverReachedThroughALink) {
    TempDir dir;
    fs::create_directories(dir / "root/2004/ST1");
    fs::create_directories(dir / "elsewhere/ST1");
    WriteFileBytes(dir / "root/2004/ST1/cv.dir", "here");
    WriteFileBytes(dir / "elsewhere/ST1/cv.dir", "elsewhere");
    std::string error;
    const auto listFile = [&](const fs::path& folder) {
        const auto file = FolderEntries(dir / "root", folder).OpenFile("cv.dir", error);
        return file ? ReadToEnd(file->fd.Get(), 100).value_or("") : std::string("(none)");
    };
    EXPECT_EQ(listFile(dir / "root/2004/ST1"), "here");
    EXPECT_EQ(listFile(dir / "root/../elsewhere/ST1"), "(none)");  // not below the root
    fs::rename(dir / "root/2004", dir / "root/2004.real");
    fs::create_directory_symlink(dir / "elsewhere", dir / "root/2004");
    EXPECT_EQ(listFile(dir / "root/2004/ST1"), "(none)");
    fs::remove(dir / "root/2004");
    fs::rename(dir / "root/2004.real", dir / "root/2004");
    fs::rename(dir / "root/2004/ST1", dir / "root/2004/ST1.real");
    fs::create_directory_symlink(dir / "elsewhere/ST1", dir / "root/2004/ST1");
    EXPECT_EQ(listFile(dir / "root/2004/ST1"), "(none)");
}

// Whether check holds in a child process, which may give up rights or descriptors for good.
bool TrueInAChild(const std::function<bool()>& check) {
    const pid_t child = fork();
    if (child == 0) _exit(check() ? 0 : 1);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// The way up from a copy's folder passes folders the account may pass through but not list: the
// copy is still found inside the image root above them.
TEST(FolderEntries, TheWayUpPassesFoldersThatCannotBeListed) {
    if (geteuid() != 0) GTEST_SKIP() << "needs to run a check as another account";
    TempDir dir;
    fs::create_directories(dir / "root/closed/2004/ST1");
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec);
    for (const char* folder : {"root", "root/closed"})
        fs::permissions(dir / folder, fs::perms::owner_all | fs::perms::others_exec);
    EXPECT_TRUE(TrueInAChild([&] {
        // The account "nobody": no reading of a folder it does not own.
        return setgid(65534) == 0 && setuid(65534) == 0 &&
               FolderEntries(dir / "root/closed/2004/ST1").IsOrIsBelowAny({dir / "root"}) == true;
    }));
}

// A copy inside the image root reached through a second mount of part of it (a bind mount): the
// way up from the mount leads elsewhere, but the folder's place in its file system does not.
TEST(FolderEntries, ACopyInsideTheImageRootIsFoundThroughASecondMount) {
    TempDir dir;
    fs::create_directories(dir / "root/stash/images/ST1");
    fs::create_directories(dir / "mnt");
    fs::create_directories(dir / "archive/images/ST1");
    if (mount((dir / "root/stash").c_str(), (dir / "mnt").c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "a folder cannot be mounted here";
    const bool inside =
        FolderEntries(dir / "mnt/images/ST1").IsOrIsBelowAny({dir / "root"}) == true;
    umount2((dir / "mnt").c_str(), MNT_DETACH);
    EXPECT_TRUE(inside);
    EXPECT_EQ(FolderEntries(dir / "archive/images/ST1").IsOrIsBelowAny({dir / "root"}), false);
}

// A way up that breaks off (here: no descriptor left for the next level) proves nothing.
TEST(FolderEntries, AWayUpThatBreaksOffTellsNothing) {
    TempDir dir;
    fs::create_directories(dir / "root/ST1");
    EXPECT_EQ(FolderEntries(dir / "root/ST1").IsOrIsBelowAny({dir / "root"}), true);
    EXPECT_TRUE(TrueInAChild([&] {
        const FolderEntries copy(dir / "root/ST1");
        const int lowestFree = dup(0);
        close(lowestFree);
        const rlimit oneLeft{static_cast<rlim_t>(lowestFree + 1),
                             static_cast<rlim_t>(lowestFree + 1)};
        return setrlimit(RLIMIT_NOFILE, &oneLeft) == 0 &&
               copy.IsOrIsBelowAny({dir / "root"}) == std::nullopt;
    }));
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

TEST(FileAttributes, ALinkAndWhatItPointsAtAreLeftAlone) {
    TempDir dir;
    WriteFileBytes(dir / "outside.dcm", "x");
    fs::permissions(dir / "outside.dcm", fs::perms::owner_read);
    fs::create_symlink(dir / "outside.dcm", dir / "link.dcm");
    EXPECT_FALSE(IsReadOnly(dir / "link.dcm"));
    std::string error;
    EXPECT_TRUE(ResetTransferredFileAttributes(dir / "link.dcm", error)) << error;
    EXPECT_EQ(fs::status(dir / "outside.dcm").permissions(), fs::perms::owner_read);
}

}  // namespace

}  // namespace mirabel
