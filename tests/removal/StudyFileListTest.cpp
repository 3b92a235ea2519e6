// The study's own file list, "cv.dir": what it names, and when it cannot be trusted.
#include "removal/StudyFileList.h"

#include <gtest/gtest.h>

#include "fixtures/TempDir.h"

namespace mirabel {

namespace {

using Names = std::vector<std::string>;

TEST(StudyFileList, NamesAreReadOnlyFromAListThatCanBeTrusted) {
    const struct {
        const char* what;
        std::string bytes;
        FileListState state;
        Names names;
    } cases[] = {
        {"two groups, LF and CR LF ends, sub folder",
         "xx Version1 xx\nA\r\nB\n2\ng1\n1\nIMG1.dcm\r\ng2\r\n2\nsub\\IMG2.dcm\nIMG1.dcm\n",
         FileListState::Read,
         {"cv.dir", "IMG1.dcm", "sub/IMG2.dcm", "IMG1.dcm"}},
        {"no groups", "Version1\n\n\n0\n", FileListState::Read, {"cv.dir"}},
        {"negative count", "Version1\n\n\n-3\n", FileListState::Read, {"cv.dir"}},
        {"wrong version", "Version2\n\n\n1\ng\n1\nA.dcm\n", FileListState::Unusable, {}},
        {"empty file", "", FileListState::Unusable, {}},
        {"binary",
         std::string("\x7f"
                     "ELF\0\1\2",
                     7),
         FileListState::Unusable,
         {}},
        {"ends before its counts", "Version1\n\n\n2\ng\n1\nA.dcm\n", FileListState::Unusable, {}},
        {"huge count, few lines",
         "Version1\n\n\n1\ng\n2147483647\nA.dcm\n",
         FileListState::Unusable,
         {}},
        {"climbs out",
         "Version1\n\n\n1\ng\n2\nA.dcm\n..\\..\\other\\B.dcm\n",
         FileListState::Unusable,
         {}},
        {"absolute", "Version1\n\n\n1\ng\n1\n\\etc\\passwd\n", FileListState::Unusable, {}},
        {"drive", "Version1\n\n\n1\ng\n1\nC:\\x.dcm\n", FileListState::Unusable, {}},
        {"NUL in a name",
         std::string("Version1\n\n\n1\ng\n1\nA\0.dcm\n", 22),
         FileListState::Unusable,
         {}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteFileBytes(dir / "cv.dir", c.bytes);
        const StudyFileList list = ReadStudyFileList(dir.path());
        EXPECT_EQ(list.state, c.state) << c.what;
        EXPECT_EQ(list.names, c.names) << c.what;
        EXPECT_EQ(list.problem.empty(), c.state == FileListState::Read) << c.what;
    }
}

TEST(StudyFileList, MissingOrNotARegularFileIsNotOpened) {
    TempDir dir;
    EXPECT_EQ(ReadStudyFileList(dir.path()).state, FileListState::NotOpened);
    WriteFileBytes(dir / "real.dir", "Version1\n\n\n0\n");
    std::filesystem::create_symlink(dir / "real.dir", dir / "cv.dir");
    EXPECT_EQ(ReadStudyFileList(dir.path()).state, FileListState::NotOpened);
}

TEST(StudyFileList, ManyNamesAreReadAndDuplicatesRemovedInOrder) {
    Names listed;
    std::string text = "Version1\r\n\r\n\r\n1\r\ng\r\n100000\r\n";
    for (int i = 0; i < 100000; ++i) {
        listed.push_back("F" + std::to_string(i % 50000) + ".dcm");
        text += listed.back() + "\r\n";
    }
    TempDir dir;
    WriteFileBytes(dir / "cv.dir", text);
    StudyFileList list = ReadStudyFileList(dir.path());
    ASSERT_EQ(list.names.size(), 100001u);
    RemoveDuplicates(list.names);
    ASSERT_EQ(list.names.size(), 50001u);
    EXPECT_EQ(list.names[0], "cv.dir");
    EXPECT_EQ(list.names[1], "F0.dcm");
    EXPECT_EQ(list.names[50000], "F49999.dcm");
}

}  // namespace

}  // namespace mirabel
