// The transfer of one study to folders and removable media, on real files.
#include "app/WindowRun.h"
#include "archive/StudyTransfer.h"

#include <gtest/gtest.h>

#include "archive/RunState.h"
#include "fixtures/DicomDirOutline.h"
#include "fixtures/DicomFiles.h"
#include "fixtures/FileCreationLimits.h"
#include "fixtures/TransferSetup.h"
#include "log/Logs.h"
#include "platform/FreeSpace.h"
#include "platform/SystemCalls.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPath = "\\2004\\0117\\ST01";
const std::string kFailure = "Failure archiving study for Ann Smith on 01/17/2004 - ";

class StudyTransfer : public ::testing::Test {
  protected:
    StudyTransfer() { fs::create_directory(archive); }
    // Studies of exam 42 are not written back; any other exam id asks for the write-back.
    TransferOutcome Archive(ArchiveDestination destination, const std::string& path = kPath,
                            const std::string& examId = "42") {
        StudyRecord study = TransferSetup::Study(path, examId);
        study.m_bUpdateDatabase = examId != "42";
        const TransferOutcome result =
            ArchiveStudy(WindowRunControl(), setup.config, destination, study, budget);
        label = destination.m_strCurrentLabel;
        return result;
    }
    ArchiveDestination Folder() const { return TransferSetup::FolderDestination(archive); }
    ArchiveDestination Medium(const std::string& labelText) const {
        WriteFileBytes(archive / "cvlabel.txt", labelText);
        return TransferSetup::MediumDestination(archive, "MO");
    }

    TransferSetup setup;
    MediaBudget budget;
    std::string label;
    fs::path archive = setup.Work() / "archive";
    fs::path copy = archive / "images/2004/0117/ST01";
};

TEST_F(StudyTransfer, CopiesTheFilesAndTheManifestButNoSubfolder) {
    const fs::path local = setup.MakeStudy(kPath, {{"b.dcm", "12345"}, {"a.dcm", "1"}, {"c", ""}});
    fs::create_directory(local / "sub");
    WriteFileBytes(local / "sub" / "inner", "not part of the study");
    fs::permissions(local / "a.dcm", fs::perms::owner_read);  // read-only
    {
        ProgressScope progress(WindowRunControl());
        ASSERT_EQ(Archive(Folder()), TransferOutcome::Archived);
    }
    const std::string d = copy.string() + "/";
    const std::string manifest =
        CrLfLines({"42", "3", d + "a.dcm", "1", d + "b.dcm", "5", d + "c", "0"});
    EXPECT_EQ(ReadFileBytes(local / "exam.ver"), manifest);
    EXPECT_EQ(ReadFileBytes(copy / "exam.ver"), manifest);
    EXPECT_EQ(ReadFileBytes(copy / "b.dcm"), "12345");
    EXPECT_FALSE(fs::exists(copy / "sub"));
    EXPECT_NE(fs::status(local / "a.dcm").permissions() & fs::perms::owner_write, fs::perms::none);
    const auto files = setup.op->ProgressOf("file");
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(files[3].current * 10 + files[3].total, 44);
    const auto debug = setup.Debug();
    EXPECT_EQ(debug.front(), "Archiving study for Ann Smith on 01/17/2004");
    EXPECT_EQ(std::count(debug.begin(), debug.end(), "End Copy File1 ok"), 4);
    EXPECT_TRUE(setup.Activity().empty());  // no database update asked for
    EXPECT_TRUE(setup.Errors().empty());
}

TEST_F(StudyTransfer, AnEmptyStudyFolderSendsOnlyItsManifest) {
    setup.MakeStudy(kPath, {});
    ASSERT_EQ(Archive(Folder()), TransferOutcome::Archived);
    EXPECT_EQ(ReadFileBytes(copy / "exam.ver"), "42\r\n0\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(copy), fs::directory_iterator()), 1);
}

TEST_F(StudyTransfer, RefusesStudiesItCannotOrMustNotRead) {
    setup.MakeStudy(kPath, {{"a", "1"}});
    EXPECT_EQ(Archive(Folder(), "\\2004\\0117\\GONE"), TransferOutcome::Failed);
    EXPECT_EQ(Archive(Folder(), "\\2004\\..\\..\\..\\etc"), TransferOutcome::Failed);
    EXPECT_EQ(Archive(Folder(), "\\\\server\\share"), TransferOutcome::Failed);
    // The image root itself is no study.
    EXPECT_EQ(Archive(Folder(), "\\"), TransferOutcome::Failed);
    EXPECT_EQ(Archive(Folder(), "\\.\\"), TransferOutcome::Failed);
    EXPECT_EQ(Archive(Folder(), kPath, "1 OR 1=1"), TransferOutcome::Failed);
    const std::string notBelowRoot = " does not name a folder below the image root";
    EXPECT_EQ(setup.Errors(), (std::vector<std::string>{
                                  kFailure + "study directory does not exist",
                                  kFailure + "image path \\2004\\..\\..\\..\\etc" + notBelowRoot,
                                  kFailure + "image path \\\\server\\share" + notBelowRoot,
                                  kFailure + "image path \\" + notBelowRoot,
                                  kFailure + "image path \\.\\" + notBelowRoot,
                                  kFailure + "exam id 1 OR 1=1 is not a number"}));
    // A folder stands in the manifest's way.
    fs::create_directory(setup.ImageRoot() / "2004/0117/ST01/exam.ver");
    EXPECT_EQ(Archive(Folder()), TransferOutcome::Failed);
    EXPECT_EQ(setup.Activity(), std::vector<std::string>{
                                    "exam.ver creation was blocked...bypassing sharing violation"});
    EXPECT_TRUE(fs::is_empty(archive));
}

// Blocked is a manifest that cannot be created; one that cannot be written once created is a
// file error whose reason goes to the error log.
TEST_F(StudyTransfer, AManifestThatCannotBeWrittenIsAFileError) {
    std::map<std::string, std::string> files;
    for (int i = 0; i < 30; ++i) files["an-image-with-a-long-name-" + std::to_string(i)] = "x";
    const fs::path local = setup.MakeStudy(kPath, files);
    {
        FileSizeLimit limit(1000);  // the manifest is longer, the log lines are not
        EXPECT_EQ(Archive(Folder()), TransferOutcome::Failed);
    }
    EXPECT_EQ(setup.Errors(),
              std::vector<std::string>{"Error writing " + (local / "exam.ver").string() +
                                       ": File too large"});
    EXPECT_TRUE(setup.Activity().empty());
    EXPECT_TRUE(fs::is_empty(archive));
}

TEST_F(StudyTransfer, ADestinationThatCannotHoldFoldersFailsTheStudy) {
    const fs::path local = setup.MakeStudy(kPath, {{"a", "1"}});
    // Root may write anywhere, but nobody can make a folder inside a regular file.
    WriteFileBytes(setup.Work() / "plainfile", "x");
    EXPECT_EQ(Archive(TransferSetup::FolderDestination(setup.Work() / "plainfile")),
              TransferOutcome::Failed);
    EXPECT_EQ(Archive(TransferSetup::FolderDestination(setup.Work() / "unplugged")),
              TransferOutcome::Failed);
    // A scheduled run has nobody to click the box away: it would hold every later study.
    WindowRunControl().SetUnattended(true);
    EXPECT_EQ(Archive(TransferSetup::FolderDestination(setup.Work() / "unplugged")),
              TransferOutcome::Failed);
    WindowRunControl().SetUnattended(false);
    EXPECT_EQ(setup.op->MessageTexts(), std::vector<std::string>(2, "unable to create directory"));
    EXPECT_EQ(setup.Errors().size(), 3u);
    EXPECT_FALSE(fs::exists(setup.Work() / "unplugged"));
    EXPECT_EQ(ReadFileBytes(local / "a"), "1");
}

TEST_F(StudyTransfer, LinksInAStudyFolderAreNeitherFollowedNorSent) {
    const fs::path local = setup.MakeStudy(kPath, {{"a", "1"}});
    const fs::path outside = setup.Work() / "outside";
    WriteFileBytes(outside, "not part of any study");
    fs::permissions(outside, fs::perms::owner_read);
    fs::create_symlink(outside, local / "link");
    ASSERT_EQ(Archive(Folder()), TransferOutcome::Archived);
    EXPECT_FALSE(fs::exists(copy / "link"));
    EXPECT_EQ(fs::status(outside).permissions() & fs::perms::owner_write, fs::perms::none);

    // A link in the manifest's place: the manifest is not written through it.
    fs::remove(local / "exam.ver");
    fs::create_symlink(outside, local / "exam.ver");
    EXPECT_EQ(Archive(Folder()), TransferOutcome::Failed);
    EXPECT_EQ(ReadFileBytes(outside), "not part of any study");
}

TEST_F(StudyTransfer, ADestinationFolderThatIsALinkReceivesNothing) {
    setup.MakeStudy(kPath, {{"a", "1"}});
    const fs::path outside = setup.Work() / "outside";
    fs::create_directories(outside);
    fs::create_directories(archive / "images");
    fs::create_directory_symlink(outside, archive / "images" / "2004");
    EXPECT_EQ(Archive(Folder()), TransferOutcome::Failed);
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_EQ(setup.Errors(), std::vector<std::string>{kFailure + "study folder " + copy.string() +
                                                       "/ cannot be created, or is reached "
                                                       "through a link"});
}

TEST_F(StudyTransfer, ADestinationWithoutARootReceivesNothing) {
    setup.MakeStudy(kPath, {{"a", "1"}});
    EXPECT_EQ(Archive(TransferSetup::FolderDestination("")), TransferOutcome::Failed);
    EXPECT_EQ(Archive(TransferSetup::MediumDestination("")), TransferOutcome::Failed);
    EXPECT_EQ(setup.Errors().size(), 2u);
    EXPECT_FALSE(fs::exists(setup.Work() / "images"));
    EXPECT_FALSE(fs::exists(setup.Work() / "cvlabel.txt"));
    EXPECT_TRUE(setup.op->proposedLabels.empty());
}

TEST_F(StudyTransfer, CancelDuringThePauseBetweenAttemptsStopsTheStudy) {
    const fs::path local = setup.MakeStudy(kPath, {{"a", "1"}, {"b", "2"}});
    setup.op->onPump = [&](int pump) {
        if (pump == 1) fs::remove(local / "b");
        if (pump == 2) RequestStop();  // inside the pause after the first failed attempt
    };
    EXPECT_EQ(Archive(Folder()), TransferOutcome::Failed);
    EXPECT_TRUE(setup.Errors().empty());
    EXPECT_EQ(setup.Activity(), std::vector<std::string>{"Archive stopped by user"});
    EXPECT_FALSE(Contains(setup.Debug(), "Start Copy File2"));
}

TEST_F(StudyTransfer, ACopyThatDoesNotVerifyIsNeverRecorded) {
    setup.MakeStudy(kPath, {{"a", "1"}, {"b", "22"}, {"c", "3"}});
    setup.op->onPump = [&](int pump) {
        // After exam.ver, the last file: "c" is the middle of a, b, c, exam.ver, the file that
        // verification reads in full.
        if (pump == 4) WriteFileBytes(copy / "c", "X");
    };
    // Exam 7 asks for the write-back: it must not even be tried.
    EXPECT_EQ(Archive(Folder(), kPath, "7"), TransferOutcome::Failed);
    EXPECT_EQ(setup.Errors(),
              std::vector<std::string>{"Compare Directories: File compare/verify had errors"});
    EXPECT_FALSE(Contains(setup.Activity(), "has been archived"));
}

TEST_F(StudyTransfer, AnImageServerReceivesNothingForIdsThatAreNoNumbers) {
    setup.MakeStudy(kPath, {{"a", "1"}});
    ArchiveDestination server(DestinationKind::Server);
    server.m_strIpAddress = "127.0.0.1:1";  // never contacted
    server.m_strRootPath = "vol1";
    server.BuildId();
    StudyRecord study = TransferSetup::Study(kPath, "42");
    study.m_bUpdateDatabase = 0;  // the rows are read by both ids all the same
    study.SetPatientId("7 OR 1=1");
    EXPECT_EQ(ArchiveStudy(WindowRunControl(), setup.config, server, study, budget),
              TransferOutcome::Failed);
    study.SetPatientId("7");
    study.SetExamId("42;");
    EXPECT_EQ(ArchiveStudy(WindowRunControl(), setup.config, server, study, budget),
              TransferOutcome::Failed);
    EXPECT_EQ(setup.Errors(),
              (std::vector<std::string>{kFailure + "patient id 7 OR 1=1 is not a number",
                                        kFailure + "exam id 42; is not a number"}));
}

TEST_F(StudyTransfer, AFileThatVanishesFailsAfterThreeAttempts) {
    const fs::path local = setup.MakeStudy(kPath, {{"a", "1"}, {"b", "2"}});
    setup.op->onPump = [&](int pump) {
        if (pump == 1) fs::remove(local / "b");
    };
    EXPECT_EQ(Archive(Folder()), TransferOutcome::Failed);
    EXPECT_EQ(setup.Errors(), std::vector<std::string>{kFailure + "error transmitting file(" +
                                                       (local / "b").string() + ")"});
    // The copy trace of "b" as it is, then the reason, once.
    const std::vector<std::string> debug = setup.Debug();
    ASSERT_GE(debug.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(debug.end() - 7, debug.end() - 1),
              (std::vector<std::string>{"Start Copy File1", "End Copy File1 with error",
                                        "Start Copy File2", "End Copy File2 with error",
                                        "Start Copy File3", "End Copy File3 with error"}));
    EXPECT_EQ(debug.back(),
              "cannot open " + (local / "b").string() + ": No such file or directory");
    EXPECT_FALSE(fs::exists(copy / "exam.ver"));
}

TEST_F(StudyTransfer, CancelStopsAfterTheCurrentFile) {
    setup.MakeStudy(kPath, {{"a", "1"}, {"b", "2"}, {"c", "3"}});
    setup.op->onPump = [](int pump) {
        if (pump == 2) RequestStop();
    };
    EXPECT_EQ(Archive(Folder()), TransferOutcome::Failed);
    EXPECT_TRUE(fs::exists(copy / "b"));
    EXPECT_FALSE(fs::exists(copy / "c"));
    EXPECT_EQ(setup.Activity(), std::vector<std::string>{"Archive stopped by user"});
    EXPECT_EQ(setup.Debug().back(), "Archive stopped by user");
}

TEST_F(StudyTransfer, AStudyLargerThanTheFreeSpaceIsNotStarted) {
    const fs::path local = setup.MakeStudy(kPath, {});
    // Fits the free space, but not with the 10 MB kept free.
    MakeSparseFile(local / "huge", FreeBytesAvailable(archive).value() - 5 * 1048576);
    EXPECT_EQ(Archive(Folder()), TransferOutcome::DestinationFullOrRefused);
    EXPECT_TRUE(fs::is_empty(archive));
}

TEST_F(StudyTransfer, TheMediaSizeLimitsAMediumAndARetryIsChargedOnce) {
    setup.MakeStudy("\\A", {{"a", std::string(600, 'a')}});
    MakeSparseFile(setup.MakeStudy("\\BIG", {}) / "image", 120 * 1048576);
    budget = MediaBudget(100 * 1048576);
    EXPECT_EQ(Archive(Medium("MO0042"), "\\BIG"), TransferOutcome::DestinationFullOrRefused);
    EXPECT_EQ(budget.Remaining(), 100u * 1048576);
    EXPECT_FALSE(fs::exists(archive / "images"));
    EXPECT_EQ(label, "MO0042");

    budget = MediaBudget(600);
    ASSERT_EQ(Archive(Medium("MO0042"), "\\A"), TransferOutcome::Archived);
    ASSERT_EQ(Archive(Medium("MO0042"), "\\A"),
              TransferOutcome::Archived);  // tried again: overwrites its own files
    EXPECT_EQ(budget.Remaining(), 0u);
    setup.MakeStudy("\\B", {{"b", "b"}});
    EXPECT_EQ(Archive(Medium("MO0042"), "\\B"),
              TransferOutcome::DestinationFullOrRefused);  // a full medium stays full
}

TEST_F(StudyTransfer, ABlankMediumWhoseLabelIsCancelledReceivesNothing) {
    setup.MakeStudy(kPath, {{"a", "1"}});
    setup.op->labels = {std::nullopt};
    EXPECT_EQ(Archive(TransferSetup::MediumDestination(archive)), TransferOutcome::Failed);
    EXPECT_TRUE(fs::is_empty(archive));
}

TEST_F(StudyTransfer, DicomFilesCopiedToAMediumAreListedInItsDicomDir) {
    ArchiveDestination medium = Medium("DVD7");
    medium.m_strDicomDir = kSaveDicomDir;
    WriteDicomStudy(setup.MakeStudy(kPath, {{"notes.txt", "not DICOM"}}), "Smith^Ann", "P1",
                    TestUid("5"), 1, 2);
    ASSERT_EQ(Archive(medium), TransferOutcome::Archived);
    const auto outline = DicomDirOutline(archive / "DICOMDIR");
    ASSERT_EQ(outline.size(), 5u);
    EXPECT_EQ(outline[3],
              "      IMAGE " + TestUid("5.1.1") + " IMAGES\\2004\\0117\\ST01\\IM000001");
    EXPECT_EQ(outline[4],
              "      IMAGE " + TestUid("5.1.2") + " IMAGES\\2004\\0117\\ST01\\IM000002");
}

// A copy that fails on the way fails the study: no file is left under a name of the study that
// it did not complete, nothing is recorded, and the system's reason reaches the log.
TEST_F(StudyTransfer, ACopyThatFailsOnTheWayIsNeverRecorded) {
    const struct {
        SystemCall call;
        int nth;
        int times;  // 3: every attempt at the file
        std::vector<std::string> copied;
    } cases[] = {
        {SystemCall::Rename, 2, 3, {"a"}},                       // "b" cannot be put in place
        {SystemCall::Fsync, 1, 1, {"a", "b", "c", "exam.ver"}},  // the copy cannot be flushed
    };
    setup.MakeStudy(kPath, {{"a", ""}, {"b", "22"}, {"c", "3"}});
    for (const auto& c : cases) {
        fs::remove_all(archive / "images");
        fs::remove(kErrorLogFile);
        fs::remove(kDebugLogFile);
        {
            const ScopedSystemCallFault fault(c.call, c.nth, ENOSPC, c.times);
            EXPECT_EQ(Archive(Folder(), kPath, "7"), TransferOutcome::Failed);
        }
        EXPECT_EQ(FolderNames(copy), c.copied);
        EXPECT_TRUE(setup.Activity().empty());  // not "has been archived"
        ASSERT_EQ(setup.Errors().size(), 1u) << setup.Errors().front() << "\n"
                                             << setup.Errors().back();
        if (c.times == 3) {  // the attempts' reason, with the system's own words
            EXPECT_TRUE(setup.Debug().back().ends_with(": No space left on device"));
        }
    }
}

// A DICOMDIR that cannot be written fails the study and stays as it was; the study's next
// attempt lists it.
TEST_F(StudyTransfer, ADicomDirThatCannotBeWrittenFailsTheStudyAndStaysAsItWas) {
    ArchiveDestination medium = Medium("DVD7");
    medium.m_strDicomDir = kSaveDicomDir;
    WriteDicomStudy(setup.MakeStudy(kPath, {}), "Smith^Ann", "P1", TestUid("7"), 1, 1);
    ASSERT_EQ(Archive(medium), TransferOutcome::Archived);
    const struct {
        SystemCall call;
        int nth;
        std::string path;
        const char* uid;
    } cases[] = {
        {SystemCall::Fsync, 1, "\\2004\\0118\\ST02", "8"},
        {SystemCall::Rename, 3, "\\2004\\0118\\ST03", "9"},  // after the image and exam.ver
    };
    std::size_t records = DicomDirOutline(archive / "DICOMDIR").size();
    for (const auto& c : cases) {
        WriteDicomStudy(setup.MakeStudy(c.path, {}), "Smith^Ann", "P1", TestUid(c.uid), 1, 1);
        const std::string before = ReadFileBytes(archive / "DICOMDIR");
        {
            const ScopedSystemCallFault fault(c.call, c.nth, EIO);
            EXPECT_EQ(Archive(medium, c.path), TransferOutcome::Failed) << c.path;
        }
        EXPECT_TRUE(ReadFileBytes(archive / "DICOMDIR") == before) << c.path;
        // No temporary file beside the DICOMDIR (the first study's manifest is there).
        EXPECT_EQ(FolderNames(archive),
                  (std::vector<std::string>{"DICOMDIR", "cvlabel.txt", "images", "manifests"}));
        EXPECT_EQ(setup.Errors().back(), kFailure + "DICOMDIR could not be written to the medium");

        ASSERT_EQ(Archive(medium, c.path), TransferOutcome::Archived) << c.path;
        records += 3;  // its study, series and image under the one patient
        EXPECT_EQ(DicomDirOutline(archive / "DICOMDIR").size(), records) << c.path;
    }
}

int NamingNotices(const std::vector<std::string>& activity) {
    return static_cast<int>(std::count_if(activity.begin(), activity.end(), [](const auto& line) {
        return line.find("DICOM media naming rules") != std::string::npos;
    }));
}

// File names that break the DICOM media naming rules are noted once a study, however often it
// is tried, and not where the DICOMDIR cannot be opened (nothing is listed there).
TEST_F(StudyTransfer, ARetriedStudyWithLongFolderNamesIsListedAndNotedOnce) {
    constexpr const char* kLongPath = "\\2004\\0117\\LONGSTUDYNAME";
    WriteDicomStudy(setup.MakeStudy(kLongPath, {}), "Smith^Ann", "P1", TestUid("6"), 1, 2);
    ArchiveDestination medium = Medium("DVD7");
    medium.m_strDicomDir = kSaveDicomDir;
    StudyRecord study = TransferSetup::Study(kLongPath);
    ASSERT_EQ(ArchiveStudy(WindowRunControl(), setup.config, medium, study, budget),
              TransferOutcome::Archived);
    ASSERT_EQ(ArchiveStudy(WindowRunControl(), setup.config, medium, study, budget),
              TransferOutcome::Archived);  // a retried study: copied again, listed once

    const auto outline = DicomDirOutline(archive / "DICOMDIR");
    ASSERT_EQ(outline.size(), 5u);
    EXPECT_EQ(outline[4],
              "      IMAGE " + TestUid("6.1.2") + " IMAGES\\2004\\0117\\LONGSTUDYNAME\\IM000002");
    EXPECT_EQ(NamingNotices(setup.Activity()), 1);
    // DCMTK's own dump tool reads the medium's DICOMDIR.
    const std::string dump =
        "/usr/bin/dcmdump -q " + (archive / "DICOMDIR").string() + " >/dev/null";
    EXPECT_EQ(std::system(dump.c_str()), 0);

    WriteFileBytes(archive / "DICOMDIR", "no DICOMDIR");
    StudyRecord again = TransferSetup::Study(kLongPath);
    ASSERT_EQ(ArchiveStudy(WindowRunControl(), setup.config, medium, again, budget),
              TransferOutcome::Archived);
    EXPECT_EQ(NamingNotices(setup.Activity()), 1);
}

}  // namespace

}  // namespace mirabel
