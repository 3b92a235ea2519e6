// Where a study goes on each kind of destination, and what its archive column then says.
#include "archive/StudyTransferPlan.h"

#include <gtest/gtest.h>

#include "archive/MediaBudget.h"

namespace {

ArchiveDestination Destination(const char* type, const char* root) {
    ArchiveDestination destination;
    destination.m_strType = type;
    destination.m_strRootPath = root;
    destination.m_strIpAddress = "10.0.0.5";
    destination.m_strLabel = "ARCH";
    destination.m_strMediaType = "MO";
    destination.BuildId();
    return destination;
}

TEST(DestinationStudyDirectory, UsesTheDestinationsSeparatorWithoutDoublingIt) {
    const char* path = "\\2004\\0117\\ST01";
    EXPECT_EQ(DestinationStudyDirectory(Destination("FTP", "/data"), path),
              "/data/images/2004/0117/ST01/");
    EXPECT_EQ(DestinationStudyDirectory(Destination("FTP", "\\data\\"), "2004/0117/ST01/"),
              "/data/images/2004/0117/ST01/");
    EXPECT_EQ(DestinationStudyDirectory(Destination("FTP", "/"), path), "/images/2004/0117/ST01/");
    EXPECT_EQ(DestinationStudyDirectory(Destination("CORVA", "vol1"), path),
              "/images/vol1/2004/0117/ST01/");
    EXPECT_EQ(DestinationStudyDirectory(Destination("CORVA", "/vol1/"), path),
              "/images/vol1/2004/0117/ST01/");
    EXPECT_EQ(DestinationStudyDirectory(Destination("NFS", "//server/path1/"), path),
              "//server/path1/images/2004/0117/ST01/");
    EXPECT_EQ(DestinationStudyDirectory(Destination("REM", "\\\\server\\share"), path),
              "//server/share/images/2004/0117/ST01/");
}

TEST(ArchiveLocationValue, NamesTheDestinationAndForMediaTheMediumsLabel) {
    EXPECT_EQ(ArchiveLocationValue(Destination("FTP", "/data"), "/data/images/2004/ST01/"),
              "FTP:10.0.0.5:/data/images/2004/ST01/");
    EXPECT_EQ(ArchiveLocationValue(Destination("NFS", "/mnt"), "/mnt/images/ST01/"),
              "NFS:ARCH:/mnt/images/ST01/");
    ArchiveDestination medium = Destination("REM", "/media/mo");
    medium.m_strCurrentLabel = "MO0042";
    EXPECT_EQ(ArchiveLocationValue(medium, "/media/mo/images/ST01/"),
              "REM:MO:MO0042:/media/mo/images/ST01/");
}

TEST(MediaBudget, StartsFromTheMediaSizeInMegabytes) {
    EXPECT_EQ(MediaBudget::FromMediaSize("650").Remaining(), 681574400u);
    EXPECT_EQ(MediaBudget::FromMediaSize("4700").Remaining(), 4700ull * 1048576);  // a DVD
    EXPECT_EQ(MediaBudget::FromMediaSize("590MB").Remaining(), 590ull * 1048576);
    for (const char* none : {"", "0", "-5", "big"})
        EXPECT_FALSE(MediaBudget::FromMediaSize(none).Limited()) << none;
    MediaBudget unlimited;
    EXPECT_TRUE(unlimited.Charge("/m/images/A/", 1ull << 40));
}

}  // namespace
