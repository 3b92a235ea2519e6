#include "log/Logs.h"

#include <gtest/gtest.h>

#include "fixtures/FileCreationLimits.h"
#include "fixtures/TempDir.h"
#include "log/LogFileReader.h"
#include "log/UnwritableLogReport.h"

namespace mirabel {

namespace {

std::tm MarchSeventh2004() {
    std::tm t{};
    t.tm_year = 104;
    t.tm_mon = 2;
    t.tm_mday = 7;
    t.tm_hour = 14;
    t.tm_min = 5;
    t.tm_sec = 9;
    return t;
}

TEST(LogEntry, LineEndRules) {
    const std::tm t = MarchSeventh2004();
    EXPECT_EQ(FormatLogEntry(t, "Archive started"), "03/07/2004 14:05:09 Archive started\r\n");
    // Already ended: no second line end.
    EXPECT_EQ(FormatLogEntry(t, "blocked...bypassing sharing violation\r\n"),
              "03/07/2004 14:05:09 blocked...bypassing sharing violation\r\n");
    EXPECT_EQ(FormatLogEntry(t, "ended by LF\n"), "03/07/2004 14:05:09 ended by LF\n");
}

// Whatever a value holds, an entry stays one line: only a line end that closes the message
// is kept, every other control character becomes a space.
TEST(LogEntry, ControlCharactersInValuesCannotStartAnotherEntry) {
    const std::tm t = MarchSeventh2004();
    const std::vector<std::pair<std::string, std::string>> table = {
        {"Study for Ann\r\n03/07/2004 14:05:09 Study for Bob on 1 has been archived",
         "Study for Ann  03/07/2004 14:05:09 Study for Bob on 1 has been archived\r\n"},
        {"first\nsecond", "first second\r\n"},
        {"lone CR\r", "lone CR \r\n"},
        {std::string("tab\tnul") + '\0' + "esc\x1b" + "del\x7f", "tab nul esc del \r\n"},
        {"two ends\r\n\r\n", "two ends  \r\n"},
        {"M\xc3\xbcller \xe9", "M\xc3\xbcller \xe9\r\n"},  // other bytes stay as they are
    };
    for (const auto& [message, line] : table)
        EXPECT_EQ(FormatLogEntry(t, message), "03/07/2004 14:05:09 " + line) << message;
}

TEST(LogFiles, EachWriterAppendsToItsFileAndRecreatesADeletedOne) {
    TempDir dir;
    ScopedCurrentDir cwd(dir.path());
    ActivityLog("one");
    ActivityLog("two");
    DebugLog("trace");
    ErrorLog("broken");
    const std::string activity = ReadFileBytes(dir / "mirabel.log");
    ASSERT_EQ(activity.size(), 2 * (20 + 3 + 2));
    EXPECT_EQ(activity.substr(20, 5), "one\r\n");
    EXPECT_EQ(activity.substr(45, 5), "two\r\n");
    EXPECT_NE(ReadFileBytes(dir / "mirabeldebug.log").find("trace\r\n"), std::string::npos);
    EXPECT_NE(ReadFileBytes(dir / "mirabelerror.log").find("broken\r\n"), std::string::npos);

    std::filesystem::remove(dir / "mirabel.log");
    ActivityLog("again");
    EXPECT_EQ(ReadFileBytes(dir / "mirabel.log").substr(20), "again\r\n");
}

TEST(LogFiles, ANewLogIsReadableByItsOwnerOnly) {
    TempDir dir;
    ScopedCurrentDir cwd(dir.path());
    const ScopedUmask usualMask(022);
    ErrorLog("Failure archiving study for DOE^JANE on 03/07/2004");  // logs name patients
    EXPECT_EQ(std::filesystem::status(dir / "mirabelerror.log").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(LogFiles, UnwritableLogLosesTheEntryQuietly) {
    TempDir dir;
    ScopedCurrentDir cwd(dir.path());
    std::filesystem::create_directory(dir / "mirabelerror.log");  // a folder cannot be appended to
    EXPECT_NO_THROW(ErrorLog("lost"));
}

TEST(LogFiles, AnInstalledReportHearsOfEachUnwritableLogOnce) {
    TempDir dir;
    ScopedCurrentDir cwd(dir.path());
    std::filesystem::create_directory(dir / "mirabelerror.log");
    std::filesystem::create_directory(dir / "mirabel.log");
    std::vector<std::string> heard;
    const UnwritableLogReport previous =
        SetUnwritableLogReport([&](const std::string& file, const std::string& reason) {
            heard.push_back(file + ": " + reason);
        });
    for (int i = 0; i < 3; ++i) {
        ErrorLog("lost");
        ActivityLog("lost");
        DebugLog("kept");
    }
    SetUnwritableLogReport(previous);
    EXPECT_EQ(heard, (std::vector<std::string>{"mirabelerror.log: Is a directory",
                                               "mirabel.log: Is a directory"}));
}

}  // namespace

namespace {

TEST(LogReading, ReadsEveryChunkAndStopsEachAtANul) {
    TempDir dir;
    EXPECT_EQ(ReadLogText((dir / "missing.log").string()), "");
    const std::string twoReads = std::string(1024, 'a') + "tail";
    WriteFileBytes(dir / "a.log", twoReads);
    EXPECT_EQ(ReadLogText((dir / "a.log").string()), twoReads);
    // A NUL ends what its read contributes; the next read is appended as usual.
    std::string withNul = std::string(10, 'b') + '\0' + std::string(1013, 'c') + "next";
    WriteFileBytes(dir / "b.log", withNul);
    EXPECT_EQ(ReadLogText((dir / "b.log").string()), std::string(10, 'b') + "next");
    // A log replaced by a folder is not shown as an empty log.
    std::filesystem::create_directory(dir / "folder.log");
    EXPECT_EQ(ReadLogText((dir / "folder.log").string()), std::string(kLogCannotBeRead) + " " +
                                                              (dir / "folder.log").string() +
                                                              ": it is not a regular file\r\n");
}

// A log of hundreds of megabytes would hold the program while it is read: beyond the limit the
// viewer gets the newest whole lines, after a line that says the rest is not shown.
TEST(LogReading, ALogBeyondTheLimitGivesItsNewestWholeLines) {
    TempDir dir;
    WriteFileBytes(dir / "big.log", "first entry\r\nsecond entry\r\nthird\r\n");
    const std::string tail = ReadLogText((dir / "big.log").string(), 20);
    EXPECT_EQ(tail.rfind(kEarlierEntriesNotShown, 0), 0u) << tail;
    EXPECT_EQ(tail.substr(tail.find('\n') + 1), "third\r\n");
    EXPECT_EQ(ReadLogText((dir / "big.log").string(), 40), ReadFileBytes(dir / "big.log"));
}

}  // namespace

}  // namespace mirabel
