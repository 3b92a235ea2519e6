// The procedure text of "pcode.txt" that ends every table-data script (the scripts themselves
// are checked byte for byte where a server receives them).
#include "archive/TableScript.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "fixtures/TempDir.h"

namespace mirabel {

namespace {

TEST(TableScript, TheProcedureIsReadOnceFoundAndSoughtAgainWhileMissing) {
    TempDir dir;
    g_strScriptFile = (dir / "pcode.txt").string();
    ResetTableScript();
    EXPECT_EQ(CachedTableScript(), "");  // missing

    ::mkfifo(g_strScriptFile.c_str(), 0600);  // a pipe nobody writes: never read, never waited on
    EXPECT_EQ(CachedTableScript(), "");
    std::filesystem::remove(g_strScriptFile);
    std::filesystem::create_directory(g_strScriptFile);  // unreadable as a file
    EXPECT_EQ(CachedTableScript(), "");
    std::filesystem::remove(g_strScriptFile);

    WriteFileBytes(g_strScriptFile, "Call(Store)\nCall(Index)\r\nEnd");
    EXPECT_EQ(CachedTableScript(), "Call(Store)\r\nCall(Index)\r\nEnd\r\n");
    WriteFileBytes(g_strScriptFile, "changed");
    EXPECT_EQ(CachedTableScript(), "Call(Store)\r\nCall(Index)\r\nEnd\r\n");
    ResetTableScript();
    g_strScriptFile = "pcode.txt";
}

}  // namespace

}  // namespace mirabel
