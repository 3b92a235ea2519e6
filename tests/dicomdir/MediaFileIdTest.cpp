#include "dicomdir/MediaFileId.h"

#include <gtest/gtest.h>

namespace mirabel {

namespace {

TEST(MediaFileId, JoinsImagesImagePathAndFileWithSingleBackslashesInUpperCase) {
    // The stored form: a leading separator and none at the end.
    EXPECT_EQ(MediaFileId("\\2004\\0117\\ST01", "im000001"), "IMAGES\\2004\\0117\\ST01\\IM000001");
    // Trailing, doubled and forward separators add no empty components.
    EXPECT_EQ(MediaFileId("2004\\0117\\st01\\", "Im1"), "IMAGES\\2004\\0117\\ST01\\IM1");
    EXPECT_EQ(MediaFileId("/2004//0117/ST01/", "IM1"), "IMAGES\\2004\\0117\\ST01\\IM1");
    EXPECT_EQ(MediaFileId("", "IM1"), "IMAGES\\IM1");
}

TEST(MediaFileId, ConformanceFollowsTheDicomMediaRules) {
    EXPECT_TRUE(IsConformantFileId("IMAGES\\2004\\0117\\ST01\\IM000001"));
    EXPECT_TRUE(IsConformantFileId("A_B\\12345678"));
    EXPECT_TRUE(IsConformantFileId("A\\B\\C\\D\\E\\F\\G\\H"));

    EXPECT_FALSE(IsConformantFileId("IMAGES\\ST01\\IM0000001"));    // nine characters
    EXPECT_FALSE(IsConformantFileId("IMAGES\\ST01\\im1"));          // lower case
    EXPECT_FALSE(IsConformantFileId("IMAGES\\ST01\\IM1.DCM"));      // period
    EXPECT_FALSE(IsConformantFileId("IMAGES\\ST 01\\IM1"));         // space
    EXPECT_FALSE(IsConformantFileId("A\\B\\C\\D\\E\\F\\G\\H\\I"));  // nine components
    EXPECT_FALSE(IsConformantFileId("IMAGES\\\\IM1"));              // empty component
    EXPECT_FALSE(IsConformantFileId("\\IMAGES\\IM1"));
    EXPECT_FALSE(IsConformantFileId(""));
    EXPECT_FALSE(IsConformantFileId("IMAGES/IM1"));
}

}  // namespace

}  // namespace mirabel
