// How image paths are matched to one study folder when a removal looks for exams sharing it.
#include "removal/SharedFolders.h"

#include <gtest/gtest.h>

namespace mirabel {
namespace {

TEST(SharedFolders, SpellingsOfOneFolderMatchAndLookAlikesDoNot) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"\\2004\\ST4", "2004/st4/", true},
        {"\\2004\\ST4", "\\\\2004\\.\\ST4\\\\", true},
        {"\\2004\\ST4", "\\2004\\X\\..\\ST4", true},
        {"\\2004\\ST4", "\\2004\\ST4. ", true},
        {"\\2004\\ST4", "\\2004\\ST40", false},
        {"\\2004\\ST4", "\\2004\\ST", false},
        {"\\2004\\ST4", "\\2004", false},
        {"\\2004\\ST4", "\\2005\\ST4", false},
        {"\\2004\\ST4", "\\2004\\ ST4", false},  // a leading blank names another folder
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderKey(c.a) == FolderKey(c.b), c.same) << c.a << " / " << c.b;
}

}  // namespace
}  // namespace mirabel
