// Missing folder levels below a root are made, but never through a link or past a file: a study
// is only ever restored inside the image store.
#include "platform/FolderLevels.h"

#include <gtest/gtest.h>

#include "fixtures/TempDir.h"

namespace mirabel {
namespace {

namespace fs = std::filesystem;

TEST(FolderLevels, MakesWhatIsMissingBelowTheRootAndNothingThroughALink) {
    TempDir dir;
    const fs::path root = dir / "images";
    fs::create_directories(root / "2004");
    fs::create_directory(dir / "outside");
    fs::create_directory_symlink(dir / "outside", root / "linked");
    WriteFileBytes(root / "file", "x");
    const struct {
        const char* below;
        bool made;
        const char* said;
    } cases[] = {
        {"2004", true, ""},
        {"2005/0117/ST1", true, ""},
        {"linked/ST2", false, "linked"},
        {"file/ST3", false, "file"},
        {"../outside/ST4", false, "not below"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_EQ(CreateFolderLevels(root, root / c.below, why), c.made) << c.below;
        EXPECT_EQ(fs::is_directory(fs::symlink_status(root / c.below)), c.made) << c.below;
        EXPECT_NE(why.find(c.said), std::string::npos) << c.below << ": " << why;
    }
    EXPECT_TRUE(fs::is_empty(dir / "outside"));
}

}  // namespace
}  // namespace mirabel
