// A removed study comes back from its copy, on a folder, an FTP server or a medium, byte for byte
// as it was archived, or not at all: a copy whose bytes differ from the archived ones is refused,
// and a local file with other bytes is never overwritten.
#include "restore/RestoreRun.h"

#include <gtest/gtest.h>

#include "app/WindowRun.h"

#include <cerrno>
#include <map>
#include <optional>

#include "catalog/CopyCatalog.h"
#include "catalog/RestoreHolds.h"
#include "config/ArchiveDestination.h"
#include "fixtures/ArchiveColumnReader.h"
#include "fixtures/CatalogRecords.h"
#include "fixtures/FolderHashes.h"
#include "fixtures/FtpServer.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/RemovalSetup.h"
#include "platform/Sha256.h"
#include "platform/SystemCalls.h"
#include "removal/CandidateSelection.h"
#include "removal/DeletionCandidates.h"
#include "removal/StudyDeletion.h"
#include "restore/FilesBack.h"

namespace mirabel {
namespace {

namespace fs = std::filesystem;

std::string AddDestination(ArchiveDestination destination) {
    destination.BuildId();
    g_Archives.push_back(std::make_unique<ArchiveDestination>(destination));
    return g_Archives.back()->m_strId;
}

bool Logged(const std::vector<std::string>& lines, const std::string& part) {
    for (const std::string& line : lines)
        if (line.find(part) != std::string::npos) return true;
    return false;
}

struct RestoreCase {
    long examId;
    const char* kind;    // "folder", "ftp", "medium"
    bool catalogued;     // else the copy's listing is all there is
    const char* damage;  // "flip": a byte of the copy; "local": a local file with other bytes;
                         // "same": a local file with the archived bytes; "gone": a file
                         // missing from the copy
    const char* logged;  // in the error line of a study that is not restored
};

TEST(StudyRestore, ArchivedThenRemovedStudiesComeBackByteForByteOrNotAtAll) {
    RemovalSetup setup;
    const fs::path served = setup.Work() / "served";
    const fs::path ftpFolder = served / "images" / "2004";
    fs::create_directories(ftpFolder);
    FtpServer ftpServer(served);
    ArchiveDestination ftp(DestinationKind::Ftp);
    ftp.m_strIpAddress = ftpServer.Address();
    ftp.m_strUserName = ftpServer.User();
    ftp.m_strPassword = ftpServer.Password();
    const std::string ftpId = AddDestination(ftp);
    ArchiveDestination medium(DestinationKind::Removable);
    medium.m_strRootPath = (setup.Work() / "dvd").string();
    medium.m_strMediaType = "DVD";
    const std::string mediumId = AddDestination(medium);
    fs::create_directories(setup.Work() / "dvd/images/2004");
    WriteFileBytes(setup.Work() / "dvd/cvlabel.txt", "L1\r\n");

    const RestoreCase cases[] = {
        {1, "folder", true, "", ""},
        {2, "ftp", true, "", ""},
        {3, "medium", true, "", ""},
        {4, "folder", false, "", ""},
        {5, "ftp", false, "", ""},
        {6, "folder", true, "same", ""},
        {7, "folder", true, "flip", "IMG1.dcm: the copy's bytes differ from those archived"},
        {8, "ftp", true, "flip", "IMG1.dcm: the copy's bytes differ from those archived"},
        {9, "folder", true, "local", "IMG2.dcm is already in the study folder with other bytes"},
        // IMG1.dcm was written whole before IMG2.dcm failed: it is not put in place either.
        {10, "folder", true, "flip2", "IMG2.dcm: the copy's bytes differ from those archived"},
        // Without the catalog, the removal register says what the copy must hold.
        {11, "folder", false, "gone", "does not hold IMG2.dcm"},
    };
    std::map<long, std::map<std::string, std::string>> before;
    std::map<long, std::string> values;
    {
        CatalogDatabase catalog(kCatalogFile);
        CopyCatalog copies(catalog);
        for (const RestoreCase& c : cases) {
            const std::string kind = c.kind;
            const std::string st = "ST" + std::to_string(c.examId);
            RemovalStudy study;
            study.examId = c.examId;
            // exam.ver is the archive run's, not listed in cv.dir: it stays through the removal.
            study.files["exam.ver"] = "NFS:ARCH\r\n";
            study.cvDir = CvDirListing({"IMG1.dcm", "IMG2.dcm"});
            fs::path copy = setup.CopyOf(c.examId);
            std::string destination = "NFS:ARCH";
            if (kind == "ftp") {
                study.archiveValue = ftpId + ":/images/2004/" + st;
                destination = ftpId;
                copy = ftpFolder / st;
            } else if (kind == "medium") {
                study.archiveValue = mediumId + ":L1:/dvd/images/2004/";
                destination = mediumId;
                copy = setup.Work() / "dvd/images/2004" / st;
            }
            setup.Add(study);
            if (kind != "folder")
                fs::copy(setup.FolderOf(c.examId), copy, fs::copy_options::recursive);
            const std::string value =
                kind == "folder" ? setup.FolderCopyValue(c.examId) : *study.archiveValue;
            values[c.examId] = value;
            if (c.catalogued) copies.Record(RecordOfOriginals(setup, c.examId, destination, value));
            before[c.examId] = FolderHashes(setup.FolderOf(c.examId));
        }
    }
    // The removal as it runs: every study selected; the medium's copy is checked first.
    ASSERT_TRUE(SelectServerCandidates(WindowCandidates(), setup.config));
    std::vector<std::string> examIds;
    for (const RestoreCase& c : cases) {
        examIds.push_back(std::to_string(c.examId));
        MarkCandidate(WindowCandidates(), examIds.back());
    }
    setup.op->answers.push_back(Answer::Yes);
    ASSERT_EQ(RunDeletionPass(WindowRunControl(), WindowCandidates(), setup.config, {}).result, 1);
    for (const RestoreCase& c : cases) {
        ASSERT_EQ(setup.MediaType(c.examId), "Archive") << c.examId;
        ASSERT_FALSE(fs::exists(setup.FolderOf(c.examId) / "cv.dir")) << c.examId;
        const std::string damage = c.damage;
        const fs::path local = setup.FolderOf(c.examId);
        if (damage == "same") WriteFileBytes(local / "IMG1.dcm", "image 1");
        if (damage == "local") WriteFileBytes(local / "IMG2.dcm", "image 2 changed");
        if (damage == "gone") fs::remove(setup.CopyOf(c.examId) / "IMG2.dcm");
        if (damage == "flip" || damage == "flip2") {
            const std::string kind = c.kind;
            const fs::path copy = kind == "ftp" ? ftpFolder / ("ST" + std::to_string(c.examId))
                                                : setup.CopyOf(c.examId);
            WriteFileBytes(copy / (damage == "flip" ? "IMG1.dcm" : "IMG2.dcm"), "image X");
        }
    }

    std::vector<std::string> progress;
    const RestoreTally tally =
        RestoreStudies(WindowRunControl(), setup.config, 30, examIds,
                       [&](const std::string& line) { progress.push_back(line); });
    EXPECT_EQ(tally.restored, 6);
    EXPECT_EQ(tally.failed, 5);
    EXPECT_EQ(progress.size(), examIds.size());
    const std::vector<std::string> errors = setup.Errors();
    const std::unordered_set<std::string> held = ExamsOnRestoreHold();
    for (const RestoreCase& c : cases) {
        const fs::path local = setup.FolderOf(c.examId);
        const std::string id = std::to_string(c.examId);
        if (*c.logged == '\0') {
            EXPECT_EQ(FolderHashes(local), before[c.examId]) << c.examId;
            EXPECT_EQ(setup.MediaType(c.examId), "Image Server") << c.examId;
            EXPECT_TRUE(held.count(id)) << c.examId;
        } else {
            EXPECT_TRUE(Logged(errors, "(exam " + id + ") - ") && Logged(errors, c.logged))
                << c.examId << ": " << c.logged;
            EXPECT_EQ(setup.MediaType(c.examId), "Archive") << c.examId;
            EXPECT_FALSE(fs::exists(local / "IMG1.dcm")) << c.examId;
            EXPECT_FALSE(fs::exists(local / HiddenRestoreName("IMG1.dcm"))) << c.examId;
            EXPECT_FALSE(held.count(id)) << c.examId;
        }
        EXPECT_EQ(ReadArchiveValue(setup.Database(), c.examId), values[c.examId]) << c.examId;
    }
    EXPECT_EQ(ReadFileBytes(setup.FolderOf(9) / "IMG2.dcm"), "image 2 changed");

    // A study that is not removed is not touched, and a second restore changes nothing.
    const RestoreTally again = RestoreStudies(WindowRunControl(), setup.config, 30, {"1"}, {});
    EXPECT_EQ(again.failed, 1);
    EXPECT_TRUE(Logged(setup.Errors(), "not \"Archive\": it was not removed"));
}

// One study's files are put in place while the next one's are written, yet each study is judged
// on its own: one whose files cannot be flushed is not restored while the next one is, and an
// exam named twice comes back once.
TEST(StudyRestore, OverlappingStudiesAreEachRestoredOrRefusedOnTheirOwn) {
    const struct {
        std::vector<std::string> examIds;
        int failedFlush;  // the nth flush fails; 0: none
        std::map<long, bool> restored;
        const char* logged;
        bool oneFolder = false;  // exam 2's row names exam 1's folder, its copy other bytes
    } cases[] = {
        {{"1", "1"}, 0, {{1, true}}, "not \"Archive\": it was not removed"},
        {{"1", "2"}, 1, {{1, false}, {2, true}}, "dcm cannot be flushed in the study folder"},
        {{"1", "2"}, 0, {{1, true}}, "IMG1.dcm is already in the study folder", true},
    };
    for (const auto& c : cases) {
        RemovalSetup setup;
        for (long examId : {1, 2}) {
            RemovalStudy study;
            study.examId = examId;
            setup.Add(study);
            // As a removal leaves it: the folder stays, its files go.
            for (const auto& entry : fs::directory_iterator(setup.FolderOf(examId)))
                fs::remove(entry.path());
        }
        RunSqlite(setup.Database(), {"UPDATE EXAM SET \"Media Type\" = 'Archive'"});
        if (c.oneFolder) {
            // Spelled with a separator at the end: the same folder all the same.
            RunSqlite(setup.Database(), {"UPDATE EXAM SET IMAGE_PATH = (SELECT IMAGE_PATH FROM "
                                         "EXAM WHERE EXAM_ID = 1) || '\\' WHERE EXAM_ID = 2"});
            WriteFileBytes(setup.CopyOf(2) / "IMG1.dcm", "other bytes");
        }
        RestoreTally tally;
        {
            std::optional<ScopedSystemCallFault> fault;
            if (c.failedFlush) fault.emplace(SystemCall::Fsync, c.failedFlush, EIO);
            tally = RestoreStudies(WindowRunControl(), setup.config, 30, c.examIds, {});
        }
        EXPECT_EQ(tally.restored + tally.failed, static_cast<int>(c.examIds.size()));
        for (const auto& [examId, back] : c.restored) {
            EXPECT_EQ(setup.MediaType(examId), back ? "Image Server" : "Archive") << examId;
            EXPECT_EQ(fs::exists(setup.FolderOf(examId) / "cv.dir"), back) << examId;
            EXPECT_FALSE(fs::exists(setup.FolderOf(examId) / HiddenRestoreName("IMG1.dcm")));
            if (back) {
                EXPECT_EQ(ReadFileBytes(setup.FolderOf(examId) / "IMG1.dcm"),
                          ReadFileBytes(setup.CopyOf(examId) / "IMG1.dcm"));
            }
        }
        EXPECT_TRUE(Logged(setup.Errors(), c.logged)) << c.logged;
    }
}

TEST(StudyRestore, AHeldStudyIsLeftOutOfTheRulesUntilItsHoldEnds) {
    RemovalSetup setup;
    for (long examId : {1, 2, 3}) {
        RemovalStudy study;
        study.examId = examId;
        study.examDate = DaysAgo(400);
        setup.Add(study);
    }
    {
        CatalogDatabase catalog(kCatalogFile);
        RestoreHolds(catalog).Hold("1", 30);
        RestoreHolds(catalog).Hold("3", 0);  // ended as it began
    }
    DeletionSettings rules;
    rules.m_bByDate = true;
    rules.m_strNumbDays = "30";
    rules.m_strMaxDeletePercent = "100";
    ASSERT_TRUE(RunSelectionPass(WindowCandidates(), setup.config, rules).Clean());
    std::map<std::string, int> selected;
    for (const auto& record : g_ServerCandidates)
        selected[std::string(record.ExamId())] = record.m_bSelected;
    EXPECT_EQ(selected, (std::map<std::string, int>{
                            {"1", 0}, {"2", kSelectedByExamDate}, {"3", kSelectedByExamDate}}));
}

}  // namespace
}  // namespace mirabel
