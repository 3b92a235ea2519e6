#include "archive/CopyVerification.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "fixtures/LogMessages.h"
#include "fixtures/TempDir.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kWrongSize =
    "Compare Directories: A file in the image directory is either not on the media or is not "
    "the correct size on the media";
constexpr const char* kContentDiffers = "Compare Directories: File compare/verify had errors";

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A local study of five files of equal size (so that only contents tell them apart) and its
// faithful copy; the error log goes to the temporary folder.
class CopyVerificationTest : public ::testing::Test {
  protected:
    CopyVerificationTest() : cwd_(dir_.path()) {
        fs::create_directories(local_);
        fs::create_directories(media_);
        for (int i = 0; i < 5; ++i) {
            const std::string bytes(3 * 1024 * 1024 + 100, static_cast<char>('a' + i));
            WriteFileBytes(local_ / names_[i], bytes);
            WriteFileBytes(media_ / names_[i], bytes);
        }
    }
    std::vector<std::string> Errors() const { return ReadLogMessages(dir_ / "mirabelerror.log"); }
    bool Compare() const { return CompareDirectories(local_.string(), media_.string()); }
    void ChangeByte(const fs::path& file, std::size_t offset) {
        std::string bytes = ReadFileBytes(file);
        bytes[offset] ^= 0x5a;
        WriteFileBytes(file, bytes);
    }

    TempDir dir_;
    ScopedCurrentDir cwd_;
    fs::path local_ = dir_ / "local";
    fs::path media_ = dir_ / "media";
    // In name order; the middle one (index 2) is read in full.
    std::vector<std::string> names_{"a.dcm", "b.dcm", "c.dcm", "d.dcm", "exam.ver"};
};

TEST_F(CopyVerificationTest, FaithfulCopyPassesSilently) {
    fs::create_directory(local_ / "sub");  // subfolders are not part of a study
    WriteFileBytes(local_ / "sub" / "x.dcm", "x");
    EXPECT_TRUE(Compare());
    EXPECT_TRUE(Errors().empty());
}

TEST_F(CopyVerificationTest, NamesOnTheMediumMayBeUpperCaseAndPathsUseBackslashes) {
    for (const std::string& name : names_) fs::rename(media_ / name, media_ / Upper(name));
    std::string windowsMedia = media_.string();
    std::replace(windowsMedia.begin(), windowsMedia.end(), '/', '\\');
    EXPECT_TRUE(CompareDirectories(local_.string() + "/", windowsMedia));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(CopyVerificationTest, ChangedByteInTheMiddleFileIsFound) {
    ChangeByte(media_ / "c.dcm", 2 * 1024 * 1024 + 7);
    EXPECT_FALSE(Compare());
    EXPECT_EQ(Errors(), std::vector<std::string>{kContentDiffers});
}

TEST_F(CopyVerificationTest, OnlyTheMiddleFileIsReadInFull) {
    ChangeByte(media_ / "a.dcm", 10);
    ChangeByte(media_ / "exam.ver", 10);
    EXPECT_TRUE(Compare());
}

TEST_F(CopyVerificationTest, ShorterFileMissingFileAndExtraFileAreFound) {
    fs::resize_file(media_ / "d.dcm", fs::file_size(media_ / "d.dcm") - 1);
    EXPECT_FALSE(Compare());
    fs::remove(media_ / "d.dcm");
    EXPECT_FALSE(Compare());
    WriteFileBytes(media_ / "d.dcm", ReadFileBytes(local_ / "d.dcm"));
    WriteFileBytes(media_ / "extra.dcm", "");
    EXPECT_FALSE(Compare());
    fs::remove(media_ / "extra.dcm");
    WriteFileBytes(media_ / "e.dcm", ReadFileBytes(local_ / "d.dcm"));
    fs::remove(media_ / "d.dcm");  // same count and sizes, other name
    EXPECT_FALSE(Compare());
    const std::string wrongCount =
        "Compare Directories: Directories do not have the same number of files";
    EXPECT_EQ(Errors(), (std::vector<std::string>{kWrongSize, wrongCount, wrongCount, kWrongSize}));
}

TEST_F(CopyVerificationTest, MissingFoldersAreReported) {
    EXPECT_FALSE(CompareDirectories((dir_ / "gone").string(), media_.string()));
    EXPECT_FALSE(CompareDirectories(local_.string(), (dir_ / "gone").string()));
    EXPECT_EQ(Errors(), (std::vector<std::string>{
                            "Compare Directories: Original image directory does not exist",
                            "Compare Directories: Image directory on media does not exist"}));
}

TEST_F(CopyVerificationTest, EmptyFoldersAreEqual) {
    fs::create_directories(dir_ / "e1" / "sub");
    fs::create_directories(dir_ / "e2");
    EXPECT_TRUE(CompareDirectories((dir_ / "e1").string(), (dir_ / "e2").string()));
    EXPECT_FALSE(CompareDirectories((dir_ / "e1").string(), media_.string()));
}

TEST_F(CopyVerificationTest, FileComparisonAtBlockEdges) {
    const auto same = [&](const std::string& a, const std::string& b) {
        WriteFileBytes(dir_ / "x", a);
        WriteFileBytes(dir_ / "y", b);
        return CompareFiles((dir_ / "x").string(), (dir_ / "y").string());
    };
    EXPECT_TRUE(same(std::string(4096, 'q'), std::string(4096, 'q')));
    EXPECT_TRUE(same(std::string(1 << 20, 'q'), std::string(1 << 20, 'q')));
    EXPECT_TRUE(same("", ""));
    EXPECT_FALSE(same(std::string(1 << 20, 'q'), std::string((1 << 20) + 1, 'q')));
    std::string last(5 * (1 << 19), 'q');
    EXPECT_FALSE(same(last, last.substr(0, last.size() - 1) + "r"));
    EXPECT_EQ(Errors(), std::vector<std::string>(2, kContentDiffers));
}

TEST_F(CopyVerificationTest, FilesThatCannotBeOpenedAreReported) {
    EXPECT_FALSE(CompareFiles((dir_ / "none").string(), (local_ / "a.dcm").string()));
    EXPECT_FALSE(CompareFiles((local_ / "a.dcm").string(), (dir_ / "none").string()));
    EXPECT_EQ(Errors(),
              (std::vector<std::string>{"Compare Directories: Could not open original file",
                                        "Compare Directories: Could not open file on media"}));
}

// A file whose reading fails (here memory that is not mapped) makes no difference of contents
// but a file error for the caller's exception rule; nothing is logged here.
TEST_F(CopyVerificationTest, AReadErrorReachesTheCallerAsAnException) {
    try {
        (void)CompareFiles((local_ / "a.dcm").string(), "/proc/self/mem");
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& failure) {
        EXPECT_STREQ(failure.what(), "Error reading /proc/self/mem: Input/output error");
    }
    EXPECT_TRUE(Errors().empty());
}

TEST(InsertSorted, KeepsLowerCaseNameOrderAndPutsEqualNamesAfter) {
    SortedFileList list;
    InsertSorted(list, {"B.dcm", "1", 1});
    InsertSorted(list, {"a.DCM", "2", 2});
    InsertSorted(list, {"b.dcm", "3", 3});
    InsertSorted(list, {"C", "4", 4});
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].name, "a.dcm");
    EXPECT_EQ(list[1].path, "1");
    EXPECT_EQ(list[2].path, "3");
    EXPECT_EQ(list[2].name, "b.dcm");
    EXPECT_EQ(list[3].name, "c");
}

}  // namespace

}  // namespace mirabel
