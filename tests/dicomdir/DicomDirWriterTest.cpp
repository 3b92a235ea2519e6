#include "dicomdir/DicomDirWriter.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <regex>

#include "dicomdir/MediaFileId.h"
#include "fixtures/DicomDirOutline.h"
#include "fixtures/DicomDirValidator.h"
#include "fixtures/DicomFiles.h"
#include "fixtures/TempDir.h"
#include "fixtures/ToolRun.h"

namespace mirabel {

namespace {

namespace fs = std::filesystem;
using Outline = std::vector<std::string>;

const std::string kStoredImagePath = "\\2004\\0117\\ST01";

DicomFileContent Image(const std::string& name, const std::string& id, const std::string& uid) {
    DicomFileContent content;
    content.patientName = name;
    content.patientId = id;
    content.studyUid = TestUid(uid);
    content.seriesUid = TestUid(uid + ".1");
    content.sopInstanceUid = TestUid(uid + ".1.1");
    return content;
}

class DicomDirWriterTest : public ::testing::Test {
  protected:
    // The start directory, where DirWrite.log is written.
    TempDir work;
    ScopedCurrentDir cwd{work.path()};
    TempDir medium;

    fs::path StudyFolder() const { return medium / "IMAGES" / "2004" / "0117" / "ST01"; }

    // A file copied to the medium at the place its file id names.
    fs::path Copied(const std::string& fileId, const DicomFileContent& content) {
        std::string relative = fileId;
        std::replace(relative.begin(), relative.end(), '\\', '/');
        const fs::path file = medium.path() / relative;
        fs::create_directories(file.parent_path());
        WriteDicomFile(file, content);
        return file;
    }

    int Add(const fs::path& file, const std::string& fileId) {
        return AddFileToDicomDir(file.string(), medium.path().string(), fileId);
    }

    int AddStudyFiles(const std::vector<fs::path>& files) {
        int failures = 0;
        for (const fs::path& file : files)
            failures += Add(file, MediaFileId(kStoredImagePath, file.filename().string())) != 0;
        return failures;
    }

    Outline Read() const { return DicomDirOutline(medium / "DICOMDIR"); }
};

Outline TwoSeriesOutline() {
    const std::string study = TestUid("1");
    const std::string folder = "IMAGES\\2004\\0117\\ST01\\";
    return {"PATIENT DOE^JOHN P0001",
            "  STUDY " + study,
            "    SERIES " + study + ".1",
            "      IMAGE " + study + ".1.1 " + folder + "IM000001",
            "      IMAGE " + study + ".1.2 " + folder + "IM000002",
            "    SERIES " + study + ".2",
            "      IMAGE " + study + ".2.1 " + folder + "IM000003",
            "      IMAGE " + study + ".2.2 " + folder + "IM000004"};
}

TEST_F(DicomDirWriterTest, TwoSeriesOfOneStudyAreListedReadableByDcmdumpAndValid) {
    const auto files = WriteDicomStudy(StudyFolder(), "DOE^JOHN", "P0001", TestUid("1"), 2, 2);
    EXPECT_EQ(AddStudyFiles(files), 0);
    EXPECT_EQ(Read(), TwoSeriesOutline());
    EXPECT_EQ(UnexpectedValidatorErrors(medium / "DICOMDIR"), std::vector<std::string>{});

    ASSERT_TRUE(fs::exists("/usr/bin/dcmdump")) << "dcmdump is needed to check the DICOMDIR";
    const ToolRun dump = RunTool("/usr/bin/dcmdump " + (medium / "DICOMDIR").string());
    EXPECT_EQ(dump.status, 0) << dump.output;
    EXPECT_NE(dump.output.find("IMAGES\\2004\\0117\\ST01\\IM000004"), std::string::npos);
    EXPECT_NE(dump.output.find("SecondaryCaptureImageStorage"), std::string::npos);
    EXPECT_EQ(dump.output.find("E: "), std::string::npos) << dump.output;
}

TEST_F(DicomDirWriterTest, RetriedStudyAddsNoSecondImageRecord) {
    const auto files = WriteDicomStudy(StudyFolder(), "DOE^JOHN", "P0001", TestUid("1"), 2, 2);
    EXPECT_EQ(AddStudyFiles(files), 0);
    EXPECT_EQ(AddStudyFiles(files), 0);
    EXPECT_EQ(Read(), TwoSeriesOutline());
}

TEST_F(DicomDirWriterTest, PatientIsMatchedByNameAndIdIgnoringCase) {
    EXPECT_EQ(Add(Copied("IMAGES\\A\\IM1", Image("DOE^JOHN", "P1", "10")), "IMAGES\\A\\IM1"), 0);
    EXPECT_EQ(Add(Copied("IMAGES\\B\\IM1", Image("Doe^John", "p1", "20")), "IMAGES\\B\\IM1"), 0);
    // Same name, another id: another patient.
    EXPECT_EQ(Add(Copied("IMAGES\\C\\IM1", Image("DOE^JOHN", "P2", "30")), "IMAGES\\C\\IM1"), 0);
    EXPECT_EQ(
        Read(),
        (Outline{"PATIENT DOE^JOHN P1", "  STUDY " + TestUid("10"), "    SERIES " + TestUid("10.1"),
                 "      IMAGE " + TestUid("10.1.1") + " IMAGES\\A\\IM1", "  STUDY " + TestUid("20"),
                 "    SERIES " + TestUid("20.1"),
                 "      IMAGE " + TestUid("20.1.1") + " IMAGES\\B\\IM1", "PATIENT DOE^JOHN P2",
                 "  STUDY " + TestUid("30"), "    SERIES " + TestUid("30.1"),
                 "      IMAGE " + TestUid("30.1.1") + " IMAGES\\C\\IM1"}));
}

Outline PlaceholderOutline(const std::string& fileId) {
    return {std::string("PATIENT ") + kPlaceholderPatientName + " " + kPlaceholderPatientId,
            std::string("  STUDY ") + kPlaceholderStudyUid,
            std::string("    SERIES ") + kPlaceholderSeriesUid,
            std::string("      IMAGE ") + kPlaceholderImageUid + " " + fileId};
}

// An image's SOP Instance UID is also in its meta header, so only images without it anywhere
// share one IMAGE record.
TEST_F(DicomDirWriterTest, AbsentElementsGetFixedPlaceholdersSoSuchImagesShareOneRecord) {
    DicomFileContent bare;  // no patient, no UIDs in the data set
    bare.metaInstanceUid = TestUid("8.1");
    EXPECT_EQ(Add(Copied("IMAGES\\S\\IM1", bare), "IMAGES\\S\\IM1"), 0);
    bare.metaInstanceUid = TestUid("8.2");
    EXPECT_EQ(Add(Copied("IMAGES\\S\\IM2", bare), "IMAGES\\S\\IM2"), 0);
    Outline expected = PlaceholderOutline("IMAGES\\S\\IM1");
    expected.back() = "      IMAGE " + TestUid("8.1") + " IMAGES\\S\\IM1";
    expected.push_back("      IMAGE " + TestUid("8.2") + " IMAGES\\S\\IM2");
    EXPECT_EQ(Read(), expected);
}

TEST_F(DicomDirWriterTest, FileTheToolkitCannotReadStillGetsPlaceholderRecords) {
    const fs::path file = medium / "NOTDICOM";
    WriteFileBytes(file, std::string(128, '\0') + "DICMbroken");
    EXPECT_EQ(Add(file, "NOTDICOM"), 0);
    EXPECT_EQ(Read(), PlaceholderOutline("NOTDICOM"));
}

// A copy whose pixel data is cut short, and images whose keys are present but empty: the
// records hold what the header says; only absent elements get placeholders.
TEST_F(DicomDirWriterTest, HeaderValuesAreKeptWhateverFollowsAndOnlyAbsentOnesArePlaceholders) {
    const fs::path cut = Copied("IMAGES\\CUT\\IM1", Image("DOE^JOHN", "P1", "10"));
    fs::resize_file(cut, fs::file_size(cut) - 20);
    EXPECT_EQ(Add(cut, "IMAGES\\CUT\\IM1"), 0);
    DicomFileContent emptyKeys;
    emptyKeys.patientName = "";
    emptyKeys.patientId = "";
    emptyKeys.studyUid = TestUid("20");
    emptyKeys.seriesUid = TestUid("20.1");
    emptyKeys.sopInstanceUid = TestUid("20.1.1");
    EXPECT_EQ(Add(Copied("IMAGES\\E\\IM1", emptyKeys), "IMAGES\\E\\IM1"), 0);
    EXPECT_EQ(
        Read(),
        (Outline{"PATIENT DOE^JOHN P1", "  STUDY " + TestUid("10"), "    SERIES " + TestUid("10.1"),
                 "      IMAGE " + TestUid("10.1.1") + " IMAGES\\CUT\\IM1", "PATIENT  ",
                 "  STUDY " + TestUid("20"), "    SERIES " + TestUid("20.1"),
                 "      IMAGE " + TestUid("20.1.1") + " IMAGES\\E\\IM1"}));
}

// Keys that some writers leave as bytes of VR UN are the text they spell. A key whose text is
// not valid for its VR is never written: a placeholder stands in (for the image, the UID in
// its meta header), and DirWrite.log says so.
TEST_F(DicomDirWriterTest, KeysAreWrittenOnlyWithValuesValidForTheirVr) {
    struct Case {
        const char* what;
        DicomFileContent content;
        Outline expected;
        std::vector<std::string> logged;  // parts of DirWrite.log
    };
    DicomFileContent unknownVr = Image("DOE^JOHN", "P1", "10");
    unknownVr.keysAsUnknownVr = true;
    DicomFileContent noImageUid = unknownVr;
    noImageUid.sopInstanceUid = TestUid("10.1") + "\\1";  // two values, no UID
    noImageUid.metaInstanceUid = TestUid("10.1.1");
    DicomFileContent noStudyUid = Image("DOE^JOHN", "P1", "10");
    noStudyUid.studyUid = "1.2.abc";
    const Outline valid{"PATIENT DOE^JOHN P1", "  STUDY " + TestUid("10"),
                        "    SERIES " + TestUid("10.1"),
                        "      IMAGE " + TestUid("10.1.1") + " IMAGES\\IM1"};
    Outline placeholderStudy = valid;
    placeholderStudy[1] = std::string("  STUDY ") + kPlaceholderStudyUid;
    const std::vector<Case> cases{
        {"keys read as UN", unknownVr, valid, {}},
        {"an image UID read as UN that is no UID",
         noImageUid,
         valid,
         {"(0008,0018) SOPInstanceUID \"31\\2e\\32\\2e",
          "is not valid for its VR, written as " + TestUid("10.1.1")}},
        {"a study UID with letters",
         noStudyUid,
         placeholderStudy,
         {"(0020,000d) StudyInstanceUID \"1.2.abc\" is not valid for its VR, written as " +
          std::string(kPlaceholderStudyUid)}},
    };
    for (const Case& c : cases) {
        fs::remove(medium / "DICOMDIR");
        fs::remove(work / kDicomDirLogFile);
        EXPECT_EQ(Add(Copied("IMAGES\\IM1", c.content), "IMAGES\\IM1"), 0) << c.what;
        EXPECT_EQ(Read(), c.expected) << c.what;
        const std::string log = ReadFileBytes(work / kDicomDirLogFile);
        for (const std::string& part : c.logged)
            EXPECT_NE(log.find(part), std::string::npos) << c.what << "\n" << log;
        if (c.logged.empty()) {
            EXPECT_EQ(log.find("is not valid"), std::string::npos) << log;
        }
        EXPECT_EQ(UnexpectedValidatorErrors(medium / "DICOMDIR"), std::vector<std::string>{})
            << c.what;
    }
}

TEST_F(DicomDirWriterTest, FileIdsAreStoredWithBackslashesAndOtherwiseAsGiven) {
    const DicomFileContent one = Image("DOE^JOHN", "P1", "10");
    EXPECT_EQ(Add(Copied("IMAGES/A/IM1", one), "IMAGES/A/IM1"), 0);
    // Breaks the media rules (length, lower case, period) yet is written for viewers to read.
    const std::string loose = "IMAGES\\LONGFOLDERNAME\\im2.dcm";
    EXPECT_EQ(Add(Copied(loose, Image("DOE^JOHN", "P1", "20")), loose), 0);
    const Outline outline = Read();
    ASSERT_EQ(outline.size(), 7u);
    EXPECT_EQ(outline[3], "      IMAGE " + TestUid("10.1.1") + " IMAGES\\A\\IM1");
    EXPECT_EQ(outline[6], "      IMAGE " + TestUid("20.1.1") + " " + loose);
    EXPECT_EQ(RunTool("/usr/bin/dcmdump " + (medium / "DICOMDIR").string()).status, 0);
}

TEST_F(DicomDirWriterTest, SessionWritesOnceAndListsWhatSingleCallsWould) {
    const auto files = WriteDicomStudy(StudyFolder(), "DOE^JOHN", "P0001", TestUid("1"), 2, 2);
    {
        DicomDirSession session(medium.path().string());
        ASSERT_EQ(session.OpenResult(), 0);
        for (const fs::path& file : files)
            session.AddFile(file.string(), MediaFileId(kStoredImagePath, file.filename().string()));
        EXPECT_FALSE(fs::exists(medium / "DICOMDIR"));
        EXPECT_EQ(session.Write(), 0);
        EXPECT_EQ(Read(), TwoSeriesOutline());
    }
    // A second study's session extends the same DICOMDIR; its end writes what is pending.
    const auto more =
        WriteDicomStudy(medium / "IMAGES" / "ST02", "ROE^JANE", "P0002", TestUid("2"), 1, 1);
    {
        DicomDirSession session(medium.path().string());
        session.AddFile(more[0].string(), "IMAGES\\ST02\\IM000001");
    }
    Outline expected = TwoSeriesOutline();
    expected.insert(
        expected.end(),
        {"PATIENT ROE^JANE P0002", "  STUDY " + TestUid("2"), "    SERIES " + TestUid("2.1"),
         "      IMAGE " + TestUid("2.1.1") + " IMAGES\\ST02\\IM000001"});
    EXPECT_EQ(Read(), expected);
}

TEST_F(DicomDirWriterTest, DicomDirMadeByAnotherToolIsExtendedWithoutDuplicates) {
    // Such IMAGE records carry the image's UID only as the referenced SOP Instance UID.
    const auto files = WriteDicomStudy(StudyFolder(), "DOE^JOHN", "P0001", TestUid("1"), 2, 2);
    ASSERT_TRUE(fs::exists("/usr/bin/dcmmkdir")) << "dcmmkdir is needed to make the DICOMDIR";
    const ToolRun made = RunTool("/usr/bin/dcmmkdir -q +I +r +id " + medium.path().string() +
                                 " +D " + (medium / "DICOMDIR").string() + " IMAGES");
    ASSERT_EQ(made.status, 0) << made.output;
    const Outline before = Read();

    EXPECT_EQ(AddStudyFiles(files), 0);
    EXPECT_EQ(Read(), before);
    DicomFileContent third = Image("DOE^JOHN", "P0001", "1");
    third.seriesUid = TestUid("1.3");
    third.sopInstanceUid = TestUid("1.3.1");
    const fs::path extra = Copied("IMAGES\\2004\\0117\\ST01\\IM000005", third);
    EXPECT_EQ(Add(extra, "IMAGES\\2004\\0117\\ST01\\IM000005"), 0);
    const Outline after = Read();
    ASSERT_EQ(after.size(), before.size() + 2);  // a new series and its image
    EXPECT_EQ(after.back(),
              "      IMAGE " + TestUid("1.3.1") + " IMAGES\\2004\\0117\\ST01\\IM000005");
    // Nothing but the DICOMDIR and the study folders is left on the medium.
    std::vector<std::string> top;
    for (const auto& entry : fs::directory_iterator(medium.path()))
        top.push_back(entry.path().filename().string());
    std::sort(top.begin(), top.end());
    EXPECT_EQ(top, (std::vector<std::string>{"DICOMDIR", "IMAGES"}));
}

TEST_F(DicomDirWriterTest, UnreadableDicomDirIsLeftAsItIs) {
    const std::string garbage = "this is no DICOMDIR";
    WriteFileBytes(medium / "DICOMDIR", garbage);
    const fs::path file = Copied("IMAGES\\IM1", Image("DOE^JOHN", "P1", "10"));
    EXPECT_NE(Add(file, "IMAGES\\IM1"), 0);
    EXPECT_EQ(ReadFileBytes(medium / "DICOMDIR"), garbage);
    EXPECT_NE(ReadFileBytes(work / kDicomDirLogFile).find("Attempt to open dicomdir failed."),
              std::string::npos);
}

TEST_F(DicomDirWriterTest, MissingMediaRootIsReportedByTheResult) {
    const fs::path file = Copied("IMAGES\\IM1", Image("DOE^JOHN", "P1", "10"));
    EXPECT_NE(AddFileToDicomDir(file.string(), (medium / "gone").string(), "IMAGES\\IM1"), 0);
    EXPECT_FALSE(fs::exists(medium / "gone"));
}

TEST_F(DicomDirWriterTest, TraceLinesGoToDirWriteLogInTheCurrentDirectory) {
    const fs::path file = Copied("IMAGES\\IM1", Image("DOE^JOHN", "P1", "10"));
    Add(file, "IMAGES\\IM1");
    Add(file, "IMAGES\\IM1");
    const std::string log = ReadFileBytes(work / kDicomDirLogFile);
    EXPECT_NE(log.find("open DICOMDIR RC= 0x0000 (0)"), std::string::npos) << log;
    EXPECT_NE(log.find("added " + TestUid("10.1.1") + " IMAGES\\IM1\r\n"), std::string::npos);
    EXPECT_NE(log.find("already listed " + TestUid("10.1.1")), std::string::npos);
    EXPECT_NE(log.find("write DICOMDIR RC= 0x0000 (0)"), std::string::npos);
    EXPECT_FALSE(fs::exists(medium / kDicomDirLogFile));
}

// A run keeps one DICOMDIR in memory from study to study on the same medium.
class MediumDicomDirTest : public DicomDirWriterTest {
  protected:
    // One study of one series and two images, copied to the medium and listed in `dir`.
    Outline AddStudy(MediumDicomDir& dir, const std::string& folder, const std::string& patient,
                     const std::string& uid, const std::string& label = "DVD1") {
        EXPECT_EQ(dir.Open(medium.path().string(), label), 0);
        for (const fs::path& file : WriteDicomStudy(medium / "IMAGES" / folder, patient,
                                                    "ID" + patient, TestUid(uid), 1, 2))
            dir.AddFile(file.string(), "IMAGES\\" + folder + "\\" + file.filename().string());
        EXPECT_EQ(dir.Write(), 0);
        return StudyOutline(folder, patient, uid);
    }

    static Outline StudyOutline(const std::string& folder, const std::string& patient,
                                const std::string& uid) {
        const std::string images = " IMAGES\\" + folder + "\\IM00000";
        return {"PATIENT " + patient + " ID" + patient, "  STUDY " + TestUid(uid),
                "    SERIES " + TestUid(uid + ".1"),
                "      IMAGE " + TestUid(uid + ".1.1") + images + "1",
                "      IMAGE " + TestUid(uid + ".1.2") + images + "2"};
    }
};

Outline Joined(std::initializer_list<Outline> parts) {
    Outline all;
    for (const Outline& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The offset a dcmdump line such as "(0004,1202) up 392" or "#  offset=$392" gives.
std::vector<long> Offsets(const std::string& dump, const std::string& pattern) {
    std::vector<long> offsets;
    const std::regex number(pattern + "([0-9]+)");
    for (auto it = std::sregex_iterator(dump.begin(), dump.end(), number);
         it != std::sregex_iterator(); ++it)
        offsets.push_back(std::stol((*it)[1]));
    return offsets;
}

TEST_F(MediumDicomDirTest, StudiesOfAnEarlierPatientAreLinkedInBeforeTheLaterOnes) {
    MediumDicomDir dir;
    const Outline first = AddStudy(dir, "A", "ANN", "10");
    const Outline second = AddStudy(dir, "B", "BOB", "20");
    const Outline third = AddStudy(dir, "C", "ANN", "30");  // ANN's records grow in the middle
    EXPECT_EQ(Read(), Joined({first, Outline(third.begin() + 1, third.end()), second}));

    // The root's first and last offsets name the first and the last PATIENT record.
    const ToolRun dump =
        RunTool("/usr/bin/dcmdump +P 0004,1200 +P 0004,1202 +L " + (medium / "DICOMDIR").string());
    ASSERT_EQ(dump.status, 0) << dump.output;
    const ToolRun records = RunTool("/usr/bin/dcmdump " + (medium / "DICOMDIR").string() +
                                    " | grep -A1 '\"Directory Record\" PATIENT'");
    const std::vector<long> patients = Offsets(records.output, "offset=\\$");
    ASSERT_EQ(patients.size(), 2u) << records.output;
    EXPECT_EQ(Offsets(dump.output, "\\(0004,1200\\) up "), std::vector<long>{patients.front()});
    EXPECT_EQ(Offsets(dump.output, "\\(0004,1202\\) up "), std::vector<long>{patients.back()});
}

// Whatever happened to the medium's DICOMDIR between two studies, the next study extends the
// DICOMDIR that is on the medium now, not the one in memory.
TEST_F(MediumDicomDirTest, ADicomDirChangedBetweenStudiesIsReadAgain) {
    struct Case {
        const char* what;
        std::string nextLabel;
        // Changes the medium; returns the records the medium's DICOMDIR then holds.
        std::function<Outline(const Outline& ours)> change;
    };
    const std::vector<Case> cases{
        {"another program added a study", "DVD1",
         [&](const Outline& ours) {
             MediumDicomDir other;
             return Joined({ours, AddStudy(other, "X", "XAVER", "90")});
         }},
        {"another medium with its own DICOMDIR", "DVD2",
         [&](const Outline&) {
             fs::remove(medium / "DICOMDIR");
             MediumDicomDir other;
             return AddStudy(other, "Y", "YVES", "80", "DVD2");
         }},
        {"the DICOMDIR was removed", "DVD1",
         [&](const Outline&) {
             fs::remove(medium / "DICOMDIR");
             return Outline{};
         }},
    };
    for (const Case& c : cases) {
        fs::remove_all(medium / "IMAGES");
        fs::remove(medium / "DICOMDIR");
        MediumDicomDir dir;
        const Outline onMedium = c.change(AddStudy(dir, "A", "ANN", "10"));
        const Outline next = AddStudy(dir, "B", "BOB", "20", c.nextLabel);
        EXPECT_EQ(Read(), Joined({onMedium, next})) << c.what;
    }
}

TEST_F(MediumDicomDirTest, TheDicomDirIsReplacedWholeAndReadableByViewersOnOtherAccounts) {
    MediumDicomDir dir;
    AddStudy(dir, "A", "ANN", "10");
    const std::string before = ReadFileBytes(medium / "DICOMDIR");
    const int reader = ::open((medium / "DICOMDIR").c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);
    AddStudy(dir, "B", "BOB", "20");

    // A viewer that had the old DICOMDIR open reads it to its end, unchanged.
    std::string seen(before.size() + 1, '\0');
    seen.resize(static_cast<std::size_t>(::pread(reader, seen.data(), seen.size(), 0)));
    ::close(reader);
    EXPECT_EQ(seen, before);
    std::vector<std::string> top;
    for (const auto& entry : fs::directory_iterator(medium.path()))
        top.push_back(entry.path().filename().string());
    std::sort(top.begin(), top.end());
    EXPECT_EQ(top, (std::vector<std::string>{"DICOMDIR", "IMAGES"}));
    struct stat status {};
    ASSERT_EQ(::stat((medium / "DICOMDIR").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
}

}  // namespace

}  // namespace mirabel
