// The transfer of one study to folders and removable media, on real files.
#include "archive/StudyTransfer.h"

#include <gtest/gtest.h>

#include "archive/RunState.h"
#include "archive/StudyTransferPlan.h"
#include "fixtures/DicomDirOutline.h"
#include "fixtures/DicomFiles.h"
#include "fixtures/TransferSetup.h"
#include "platform/FreeSpace.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kPath = "\\2004\\0117\\ST01";

class StudyTransfer : public ::testing::Test {
  protected:
    int Archive(ArchiveDestination& destination, StudyRecord& study) {
        return ArchiveStudy(setup.config, destination, study, budget);
    }
    fs::path ArchiveRoot() const { return setup.Work() / "archive"; }
    fs::path CopiedStudy() const { return ArchiveRoot() / "images/2004/0117/ST01"; }

    TransferSetup setup;
    MediaBudget budget;
};

TEST_F(StudyTransfer, CopiesTheStudyFilesAndItsManifestToAFolder) {
    const fs::path local = setup.MakeStudy(kPath, {{"b.dcm", "12345"}, {"a.dcm", "1"}, {"c", ""}});
    fs::create_directory(local / "sub");
    WriteFileBytes(local / "sub" / "inner", "not part of the study");
    fs::create_directory(ArchiveRoot());
    ArchiveDestination destination = TransferSetup::FolderDestination(ArchiveRoot());
    StudyRecord study = TransferSetup::Study(kPath);

    {
        ProgressScope progress;
        ASSERT_EQ(Archive(destination, study), 1);
    }

    const std::string d = CopiedStudy().string() + "/";
    const std::string manifest =
        CrLfLines({"42", "3", d + "a.dcm", "1", d + "b.dcm", "5", d + "c", "0"});
    EXPECT_EQ(ReadFileBytes(local / "exam.ver"), manifest);
    EXPECT_EQ(ReadFileBytes(CopiedStudy() / "exam.ver"), manifest);
    EXPECT_EQ(ReadFileBytes(CopiedStudy() / "b.dcm"), "12345");
    EXPECT_FALSE(fs::exists(CopiedStudy() / "sub"));
    const auto files = setup.op->ProgressOf("file");
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(files[3].current, 4);
    EXPECT_EQ(files[3].total, 4);
    const auto debug = setup.Debug();
    EXPECT_EQ(debug.front(), "Archiving study for Ann Smith on 01/17/2004");
    EXPECT_EQ(std::count(debug.begin(), debug.end(), "End Copy File1 ok"), 4);
    // The update flag is off: no database, no "has been archived".
    EXPECT_TRUE(setup.Activity().empty());
    EXPECT_TRUE(setup.Errors().empty());
}

TEST_F(StudyTransfer, AnEmptyStudyFolderSendsOnlyItsManifest) {
    setup.MakeStudy(kPath, {});
    ArchiveDestination destination = TransferSetup::FolderDestination(setup.Work());
    StudyRecord study = TransferSetup::Study(kPath, "7");
    ASSERT_EQ(Archive(destination, study), 1);
    const fs::path copy = setup.Work() / "images/2004/0117/ST01";
    EXPECT_EQ(ReadFileBytes(copy / "exam.ver"), "7\r\n0\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(copy), fs::directory_iterator()), 1);
}

TEST_F(StudyTransfer, RefusesStudiesItCannotOrMustNotRead) {
    ArchiveDestination destination = TransferSetup::FolderDestination(setup.Work());
    StudyRecord missing = TransferSetup::Study("\\2004\\0117\\GONE");
    EXPECT_EQ(Archive(destination, missing), -1);
    StudyRecord climbing = TransferSetup::Study("\\2004\\..\\..\\..\\etc");
    EXPECT_EQ(Archive(destination, climbing), -1);
    StudyRecord absolute = TransferSetup::Study("\\\\server\\share");
    EXPECT_EQ(Archive(destination, absolute), -1);
    StudyRecord empty = TransferSetup::Study("");
    EXPECT_EQ(Archive(destination, empty), -1);
    EXPECT_EQ(setup.Errors(),
              (std::vector<std::string>{
                  "Failure archiving study for Ann Smith on 01/17/2004 - study directory does not "
                  "exist",
                  "Failure archiving study for Ann Smith on 01/17/2004 - image path "
                  "\\2004\\..\\..\\..\\etc leaves the image root",
                  "Failure archiving study for Ann Smith on 01/17/2004 - image path "
                  "\\\\server\\share leaves the image root"}));
    EXPECT_FALSE(fs::exists(setup.Work() / "images"));
    setup.config.m_strImagePath.clear();
    setup.MakeStudy(kPath, {{"a", "1"}});
    StudyRecord study = TransferSetup::Study(kPath);
    EXPECT_EQ(Archive(destination, study), -1);
}

TEST_F(StudyTransfer, AnExamIdThatIsNoNumberIsNeverPutIntoAStatement) {
    setup.MakeStudy(kPath, {{"a", "1"}});
    ArchiveDestination destination = TransferSetup::FolderDestination(ArchiveRoot());
    StudyRecord study = TransferSetup::Study(kPath, "1 OR 1=1");
    study.m_bUpdateDatabase = 1;
    EXPECT_EQ(Archive(destination, study), -1);
    EXPECT_EQ(setup.Errors(), std::vector<std::string>{"Failure archiving study for Ann Smith on "
                                                       "01/17/2004 - exam id 1 OR 1=1 is not a "
                                                       "number"});
    EXPECT_FALSE(fs::exists(ArchiveRoot()));
}

TEST_F(StudyTransfer, ADestinationThatCannotHoldFoldersFailsTheStudy) {
    const fs::path local = setup.MakeStudy(kPath, {{"a", "1"}});
    // Root may write anywhere, but nobody can make a folder inside a regular file.
    WriteFileBytes(setup.Work() / "plainfile", "x");
    ArchiveDestination readOnly = TransferSetup::FolderDestination(setup.Work() / "plainfile");
    ArchiveDestination gone = TransferSetup::FolderDestination(setup.Work() / "unplugged");
    StudyRecord study = TransferSetup::Study(kPath);
    EXPECT_EQ(Archive(readOnly, study), -1);
    EXPECT_EQ(Archive(gone, study), -1);
    EXPECT_EQ(setup.op->MessageTexts(), (std::vector<std::string>{"unable to create directory",
                                                                  "unable to create directory"}));
    EXPECT_FALSE(fs::exists(setup.Work() / "unplugged"));
    EXPECT_EQ(ReadFileBytes(local / "a"), "1");
}

TEST_F(StudyTransfer, AFileThatVanishesFailsAfterThreeAttempts) {
    const fs::path local = setup.MakeStudy(kPath, {{"a", "1"}, {"b", "2"}});
    ArchiveDestination destination = TransferSetup::FolderDestination(ArchiveRoot());
    fs::create_directory(ArchiveRoot());
    StudyRecord study = TransferSetup::Study(kPath);
    setup.op->onPump = [&](int pump) {
        if (pump == 1) fs::remove(local / "b");
    };
    EXPECT_EQ(Archive(destination, study), -1);
    EXPECT_EQ(setup.Errors(),
              std::vector<std::string>{"Failure archiving study for Ann Smith on 01/17/2004 - "
                                       "error transmitting file(" +
                                       (local / "b").string() + ")"});
    const auto debug = setup.Debug();
    for (const char* line : {"End Copy File1 with error", "End Copy File2 with error",
                             "End Copy File3 with error", "Start Copy File3"})
        EXPECT_TRUE(Contains(debug, line)) << line;
    EXPECT_FALSE(fs::exists(CopiedStudy() / "exam.ver"));
}

TEST_F(StudyTransfer, CancelStopsAfterTheCurrentFile) {
    setup.MakeStudy(kPath, {{"a", "1"}, {"b", "2"}, {"c", "3"}});
    ArchiveDestination destination = TransferSetup::FolderDestination(ArchiveRoot());
    fs::create_directory(ArchiveRoot());
    StudyRecord study = TransferSetup::Study(kPath);
    setup.op->onPump = [](int pump) {
        if (pump == 2) RequestStop();
    };
    EXPECT_EQ(Archive(destination, study), -1);
    EXPECT_TRUE(fs::exists(CopiedStudy() / "b"));
    EXPECT_FALSE(fs::exists(CopiedStudy() / "c"));
    EXPECT_EQ(setup.Activity(), std::vector<std::string>{"Archive stopped by user"});
    EXPECT_EQ(setup.Debug().back(), "Archive stopped by user");
}

TEST_F(StudyTransfer, AReadOnlyLocalFileIsMadeWritableOnceTransferred) {
    const fs::path local = setup.MakeStudy(kPath, {{"a", "1"}});
    fs::permissions(local / "a", fs::perms::owner_read | fs::perms::group_read);
    ArchiveDestination destination = TransferSetup::FolderDestination(ArchiveRoot());
    fs::create_directory(ArchiveRoot());
    StudyRecord study = TransferSetup::Study(kPath);
    ASSERT_EQ(Archive(destination, study), 1);
    const fs::perms perms = fs::status(local / "a").permissions();
    EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(perms & fs::perms::group_write, fs::perms::none);
    EXPECT_EQ(ReadFileBytes(local / "a"), "1");
}

TEST_F(StudyTransfer, AStudyLargerThanTheFreeSpaceIsNotStarted) {
    const fs::path local = setup.MakeStudy(kPath, {});
    fs::create_directory(ArchiveRoot());
    const std::uint64_t freeBytes = FreeBytesAvailable(ArchiveRoot()).value();
    MakeSparseFile(local / "huge",
                   freeBytes - 5 * 1048576);  // fits, but not with the 10 MB reserve
    ArchiveDestination destination = TransferSetup::FolderDestination(ArchiveRoot());
    StudyRecord study = TransferSetup::Study(kPath);
    EXPECT_EQ(Archive(destination, study), -2);
    EXPECT_FALSE(fs::exists(ArchiveRoot() / "images"));
}

TEST_F(StudyTransfer, TheMediaSizeLimitsWhatAMediumTakes) {
    const fs::path medium = setup.Work() / "medium";
    fs::create_directory(medium);
    WriteFileBytes(medium / "cvlabel.txt", "MO0042");
    ArchiveDestination destination = TransferSetup::MediumDestination(medium, "MO");
    const fs::path big = setup.MakeStudy("\\2004\\BIG", {});
    MakeSparseFile(big / "image", 120 * 1048576);
    budget = MediaBudget::FromMediaSize("100");
    StudyRecord bigStudy = TransferSetup::Study("\\2004\\BIG");
    EXPECT_EQ(Archive(destination, bigStudy), -2);
    EXPECT_EQ(budget.Remaining(), 100u * 1048576);
    EXPECT_FALSE(fs::exists(medium / "images"));
    EXPECT_EQ(destination.m_strCurrentLabel, "MO0042");
}

TEST_F(StudyTransfer, AMediumIsChargedOncePerStudyAndAFullOneStaysFull) {
    const fs::path medium = setup.Work() / "medium";
    fs::create_directory(medium);
    WriteFileBytes(medium / "cvlabel.txt", "MO0042");
    ArchiveDestination destination = TransferSetup::MediumDestination(medium, "MO");
    setup.MakeStudy("\\A", {{"a", std::string(600, 'a')}});
    setup.MakeStudy("\\B", {{"b", "b"}});
    budget = MediaBudget(600);
    StudyRecord first = TransferSetup::Study("\\A");
    StudyRecord second = TransferSetup::Study("\\B");
    ASSERT_EQ(Archive(destination, first), 1);
    ASSERT_EQ(Archive(destination, first), 1);  // tried again: its own files are overwritten
    EXPECT_EQ(budget.Remaining(), 0u);
    EXPECT_EQ(Archive(destination, second), -2);
}

TEST_F(StudyTransfer, DicomFilesCopiedToAMediumAreListedInItsDicomDir) {
    const fs::path medium = setup.Work() / "medium";
    fs::create_directory(medium);
    WriteFileBytes(medium / "cvlabel.txt", "DVD7");
    ArchiveDestination destination = TransferSetup::MediumDestination(medium);
    destination.m_strDicomDir = kSaveDicomDir;
    const fs::path local = setup.MakeStudy(kPath, {{"notes.txt", "not DICOM"}});
    WriteDicomStudy(local, "Smith^Ann", "P1", TestUid("5"), 1, 2);
    StudyRecord study = TransferSetup::Study(kPath);
    ASSERT_EQ(Archive(destination, study), 1);
    const auto outline = DicomDirOutline(medium / "DICOMDIR");
    ASSERT_EQ(outline.size(), 5u);
    EXPECT_EQ(outline[3],
              "      IMAGE " + TestUid("5.1.1") + " IMAGES\\2004\\0117\\ST01\\IM000001");
    EXPECT_EQ(outline[4],
              "      IMAGE " + TestUid("5.1.2") + " IMAGES\\2004\\0117\\ST01\\IM000002");
}

TEST_F(StudyTransfer, AnImageServerIsRefusedBeforeAnythingIsSent) {
    setup.MakeStudy(kPath, {{"a", "1"}});
    ArchiveDestination server;
    server.m_strType = kServerType;
    server.m_strIpAddress = "127.0.0.1";
    server.m_strRootPath = "vol1";
    server.BuildId();
    StudyRecord study = TransferSetup::Study(kPath);
    EXPECT_EQ(Archive(server, study), -2);
    EXPECT_TRUE(
        Contains(setup.Debug(), "Table data transfer to an image server is not available yet"));
}

}  // namespace

namespace {

TEST_F(StudyTransfer, ABlankMediumWhoseLabelIsCancelledReceivesNothing) {
    const fs::path medium = setup.Work() / "medium";
    fs::create_directory(medium);
    setup.MakeStudy(kPath, {{"a", "1"}});
    setup.op->labels = {std::nullopt};
    ArchiveDestination destination = TransferSetup::MediumDestination(medium);
    StudyRecord study = TransferSetup::Study(kPath);
    EXPECT_EQ(Archive(destination, study), -1);
    EXPECT_TRUE(fs::is_empty(medium));
    EXPECT_EQ(destination.m_strCurrentLabel, "");
}

}  // namespace

namespace {

TEST_F(StudyTransfer, AManifestThatCannotBeWrittenFailsTheStudy) {
    const fs::path local = setup.MakeStudy(kPath, {{"a", "1"}});
    fs::create_directory(local / "exam.ver");  // stands in the way of the file
    ArchiveDestination destination = TransferSetup::FolderDestination(ArchiveRoot());
    StudyRecord study = TransferSetup::Study(kPath);
    EXPECT_EQ(Archive(destination, study), -1);
    EXPECT_EQ(setup.Activity(), std::vector<std::string>{
                                    "exam.ver creation was blocked...bypassing sharing violation"});
    EXPECT_FALSE(fs::exists(ArchiveRoot()));
}

}  // namespace
