// Where a study goes on each kind of destination, and what a medium's size allows.
#include "archive/StudyTransferPlan.h"

#include <gtest/gtest.h>

#include "archive/MediaBudget.h"

namespace mirabel {

namespace {

std::string StudyFolderOn(const char* type, const char* root) {
    ArchiveDestination destination;
    destination.SetTypeLine(type);
    destination.m_strRootPath = root;
    return DestinationStudyDirectory(destination, "\\2004\\0117\\ST01");
}

TEST(DestinationStudyDirectory, UsesTheDestinationsSeparatorWithoutDoublingIt) {
    EXPECT_EQ(StudyFolderOn("FTP", "\\data\\"), "/data/images/2004/0117/ST01/");
    EXPECT_EQ(StudyFolderOn("FTP", "/"), "/images/2004/0117/ST01/");
    EXPECT_EQ(StudyFolderOn("CORVA", "/vol1/"), "/images/vol1/2004/0117/ST01/");
    EXPECT_EQ(StudyFolderOn("NFS", "\\\\server\\share"), "//server/share/images/2004/0117/ST01/");
}

TEST(MediaBudget, StartsFromTheMediaSizeInMegabytes) {
    EXPECT_EQ(MediaBudget::FromMediaSize("650").Remaining(), 681574400u);
    EXPECT_EQ(MediaBudget::FromMediaSize("4700MB").Remaining(), 4700ull * 1048576);  // a DVD
    for (const char* none : {"", "0", "-5", "big"})
        EXPECT_FALSE(MediaBudget::FromMediaSize(none).Limited()) << none;
}

}  // namespace

}  // namespace mirabel
