#include "archive/StudyFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "archive/StudyPaths.h"
#include "fixtures/TempDir.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

TEST(StudyPaths, JoinsRootAndImagePathWithNativeSeparators) {
    EXPECT_EQ(LocalStudyDirectory("C:/Images", "\\2004\\0117\\ST01")->string(),
              "C:/Images/2004/0117/ST01");
    EXPECT_EQ(LocalStudyDirectory("/data\\img\\", "2004/0117/ST01\\")->string(),
              "/data/img/2004/0117/ST01/");
    EXPECT_FALSE(LocalStudyDirectory("", "\\2004\\ST01"));
    EXPECT_FALSE(LocalStudyDirectory("/data", ""));
}

TEST(StudyPaths, RefusesImagePathsThatLeaveTheRoot) {
    EXPECT_FALSE(LocalStudyDirectory("/data", "\\2004\\..\\..\\etc"));
    EXPECT_FALSE(LocalStudyDirectory("/data", "..\\other"));
    EXPECT_FALSE(LocalStudyDirectory("/data", "\\\\server\\share"));  // absolute after one "\"
    EXPECT_TRUE(LocalStudyDirectory("/data", "\\2004\\..st\\x"));     // a name, not a climb
}

TEST(StudyFiles, ListsOnlyTheRegularFilesInNameOrder) {
    TempDir dir;
    WriteFileBytes(dir / "b.dcm", "12345");
    WriteFileBytes(dir / "a.dcm", "1");
    WriteFileBytes(dir / "exam.ver", "");
    fs::create_directory(dir / "sub");
    WriteFileBytes(dir / "sub" / "inner.dcm", "not part of the study");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const auto files = ListStudyFiles(dir.path());
    ASSERT_TRUE(files);
    ASSERT_EQ(files->size(), 3u);
    EXPECT_EQ((*files)[0].name, "a.dcm");
    EXPECT_EQ((*files)[1].name, "b.dcm");
    EXPECT_EQ((*files)[1].size, 5u);
    EXPECT_EQ((*files)[2].path, dir / "exam.ver");
    EXPECT_EQ(TotalSize(*files), 6u);
    EXPECT_FALSE(ListStudyFiles(dir / "missing"));
}

TEST(StudyFiles, DicomTestLooksForTheMarkerAfterThePreamble) {
    TempDir dir;
    WriteFileBytes(dir / "dump.txt",
                   "(0008,0016) UI =SecondaryCaptureImageStorage\n"
                   "(0008,0018) UI [1.2.826.0.1.3680043.2.1125.1]\n"
                   "(0010,0010) PN [Test^Patient]\n");
    const std::string command = "dump2dcm " + (dir / "dump.txt").string() + " " +
                                (dir / "real.dcm").string() + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << "DCMTK's dump2dcm is needed for this test";
    EXPECT_TRUE(IsDicomFile(dir / "real.dcm"));

    WriteFileBytes(dir / "made.dcm", std::string(128, '\0') + "DICM");
    WriteFileBytes(dir / "early.dcm", "DICM" + std::string(200, '\0'));
    WriteFileBytes(dir / "short.dcm", std::string(128, '\0') + "DIC");
    EXPECT_TRUE(IsDicomFile(dir / "made.dcm"));
    EXPECT_FALSE(IsDicomFile(dir / "early.dcm"));
    EXPECT_FALSE(IsDicomFile(dir / "short.dcm"));
    EXPECT_FALSE(IsDicomFile(dir / "missing.dcm"));
    EXPECT_FALSE(IsDicomFile(dir.path()));
}

TEST(StudyFiles, StudySizeCountsWholeMegabytesPlusOne) {
    TempDir dir;
    const fs::path study = dir / "2004" / "ST01";
    fs::create_directories(study / "sub");
    EXPECT_EQ(GetStudySizeMB(dir.path().string(), "\\2004\\ST01"), 1);  // empty study
    WriteFileBytes(study / "a.dcm", std::string(1048575, 'a'));
    EXPECT_EQ(GetStudySizeMB(dir.path().string(), "\\2004\\ST01"), 1);
    WriteFileBytes(study / "b.dcm", "b");
    EXPECT_EQ(GetStudySizeMB(dir.path().string(), "\\2004\\ST01"), 2);
    WriteFileBytes(study / "sub" / "big.dcm", std::string(3 * 1048576, 'c'));
    EXPECT_EQ(GetStudySizeMB(dir.path().string(), "\\2004\\ST01"), 2);
    // Studies above 4 GB keep their size (a sparse file costs no disk).
    fs::resize_file(study / "a.dcm", 5ull * 1024 * 1048576 - 1);
    EXPECT_EQ(GetStudySizeMB(dir.path().string(), "/2004/ST01"), 5121);

    EXPECT_EQ(GetStudySizeMB("", "\\2004\\ST01"), -1);
    EXPECT_EQ(GetStudySizeMB(dir.path().string(), ""), -1);
    EXPECT_EQ(GetStudySizeMB(dir.path().string(), "\\2004\\ST02"), -1);
    EXPECT_EQ(GetStudySizeMB(study.string(), "\\..\\ST01"), -1);
}

}  // namespace

}  // namespace mirabel
