#include "archive/DestinationRoot.h"

#include <gtest/gtest.h>

namespace mirabel {

namespace {

// "images" and "DICOMDIR" are joined to the root folder; on Windows a bare drive "E:" must
// become its root "E:\", or they land in the drive's current folder.
TEST(DestinationRootTest, BareDriveBecomesItsRootWithWindowsSeparators) {
    const struct {
        const char* stored;
        char separator;
        const char* folder;
    } roots[] = {
        {"E:", '\\', "E:\\"},
        {"E:/", '\\', "E:\\"},
        {"E:/archive/", '\\', "E:\\archive\\"},
        {"//server/share", '\\', "\\\\server\\share"},
        {"E:", '/', "E:"},  // elsewhere a colon is an ordinary character of a name
        {"\\mnt\\mo", '/', "/mnt/mo"},
    };
    for (const auto& root : roots)
        EXPECT_EQ(DestinationRootFolder(root.stored, root.separator), root.folder) << root.stored;
}

}  // namespace

}  // namespace mirabel
