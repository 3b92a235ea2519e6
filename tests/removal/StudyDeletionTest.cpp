// Verified study deletion on real study folders with real copies in a folder destination, a
// SQLite image database, the catalog in the working folder, and a removable medium that is a
// folder with "cvlabel.txt".
#include "app/WindowRun.h"
#include "removal/StudyDeletion.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <thread>

#include "archive/RunState.h"
#include "catalog/RemovalJournal.h"
#include "config/ArchiveDestination.h"
#include "core/Text.h"
#include "db/WaitingStudyCount.h"
#include "fixtures/CatalogRecords.h"
#include "fixtures/FtpServer.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/RemovalSetup.h"
#include "fixtures/TransferSetup.h"
#include "catalog/CopyCatalog.h"
#include "platform/SystemCalls.h"
#include "removal/CandidateSelection.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDate = "01/17/2004 10:15";  // as the database layer gives dates

fs::path Add(RemovalSetup& setup, long id, std::string archiveValue = kFolderCopy,
             const char* media = "Image Server") {
    RemovalStudy study;
    study.examId = id;
    study.archiveValue = std::move(archiveValue);
    study.mediaType = media;
    return setup.Add(study);
}

// Lists the candidates and selects them all.
void SelectAll(const RemovalSetup& setup) {
    SelectServerCandidates(WindowCandidates(), setup.config);
    SelectTempCandidates(WindowCandidates(), setup.config);
    for (auto* list : {&g_ServerCandidates, &g_TempCandidates})
        for (auto& record : *list) record.m_bSelected = 1;
}

int DeleteAll(const RemovalSetup& setup, const DeletionOptions& options = {}) {
    SelectAll(setup);
    return RunDeletionPass(WindowRunControl(), WindowCandidates(), setup.config, options).result;
}

bool Deleted(const RemovalSetup& setup, long id) {
    return setup.MediaType(id) == "Archive";
}

std::string JoinedErrors(const RemovalSetup& setup) {
    std::string all;
    for (const std::string& line : setup.Errors()) all += line + "\n";
    return all;
}

std::size_t PendingRemovals() {
    CatalogDatabase catalog;
    return RemovalJournal(catalog).Pending().size();
}

TEST(StudyDeletion, ExactlyTheListedFilesGoAndTheRowSaysArchive) {
    RemovalSetup setup;
    RemovalStudy study;
    study.examId = 1;
    study.cvDir = CvDirListing({"IMG1.dcm", "IMG2.dcm", "IMG1.dcm"});
    const fs::path folder = setup.Add(study);
    WriteFileBytes(folder / "keep.txt", "not listed");
    fs::permissions(folder / "IMG2.dcm", fs::perms::owner_read);

    EXPECT_EQ(DeleteAll(setup), 1);
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"keep.txt"});
    EXPECT_TRUE(Deleted(setup, 1));
    EXPECT_TRUE(g_ServerCandidates.empty());
    EXPECT_EQ(setup.Activity(),
              (std::vector<std::string>{"Delete started",
                                        std::string("Ann Smith ") + kDate + " Successfully Deleted",
                                        "Delete finished"}));
    EXPECT_EQ(setup.op->ProgressOf("file").size(), 3u);  // the duplicate once
    EXPECT_TRUE(setup.Errors().empty()) << JoinedErrors(setup);
    // The register keeps who selected it, what went, the evidence and the media type before.
    CatalogDatabase catalog;
    CatalogStatement entry = catalog.Prepare(
        "SELECT exam_id, selected_by, media_type_before, evidence, files FROM removal_register");
    ASSERT_TRUE(entry.Step());
    EXPECT_EQ(entry.Text(0), "1");
    EXPECT_EQ(entry.Text(1), "the operator");
    EXPECT_EQ(entry.Text(2), "Image Server");
    EXPECT_NE(entry.Text(3).find("3 files, names and sizes"), std::string::npos) << entry.Text(3);
    EXPECT_EQ(entry.Text(4),
              "IMG1.dcm/7\nIMG2.dcm/7\ncv.dir/" +
                  std::to_string(CvDirListing({"IMG1.dcm", "IMG2.dcm", "IMG1.dcm"}).size()) + "\n");
    EXPECT_EQ(PendingRemovals(), 0u);
}

TEST(StudyDeletion, ProblemAnswersDecideForTheStudyAndTheRestOfTheList) {
    const struct {
        std::vector<DeleteProblemAnswer> answers;
        std::string skip;
        std::size_t prompts;
        bool deleted;  // both studies set as archived
        int result;
    } cases[] = {
        {{DeleteProblemAnswer::Yes, DeleteProblemAnswer::Yes}, "FALSE", 2, true, 1},
        {{DeleteProblemAnswer::YesToAll}, "FALSE", 1, true, 1},
        {{DeleteProblemAnswer::No, DeleteProblemAnswer::No}, "FALSE", 2, false, 1},
        {{DeleteProblemAnswer::NoToAll}, "FALSE", 1, false, 1},
        {{}, "TRUE", 0, false, 1},
        {{DeleteProblemAnswer::Cancel}, "FALSE", 1, false, 0},
    };
    for (const auto& c : cases) {
        RemovalSetup fresh;
        RemovalStudy study;
        for (long id : {1, 2}) {
            study.examId = id;
            fs::remove(fresh.Add(study) / "cv.dir");  // no list: nothing can be deleted
        }
        study.examId = 3;
        study.mediaType = "TEMP";
        fresh.Add(study);
        fresh.op->problemAnswers.assign(c.answers.begin(), c.answers.end());
        DeletionOptions options;
        options.skip = c.skip;
        EXPECT_EQ(DeleteAll(fresh, options), c.result);
        EXPECT_EQ(fresh.op->problemStudies.size(), c.prompts);
        EXPECT_EQ(fresh.MediaType(1) == "Archive", c.deleted);
        EXPECT_EQ(fresh.MediaType(2) == "Archive", c.deleted);
        EXPECT_TRUE(fs::exists(fresh.FolderOf(1) / "IMG1.dcm"));
        // The temporary list follows only when the server list was not stopped.
        EXPECT_EQ(fresh.MediaType(3) == "Archive", c.result == 1);
        const std::vector<std::string> cancelled = {std::string("Error: Ann Smith ") + kDate +
                                                    " - Could not open cv.dir file"};
        // A study left names itself and why in the error log.
        std::vector<std::string> left;
        for (long id : {1, 2})
            left.push_back(std::string("Error: Ann Smith ") + kDate + " - " +
                           (fresh.FolderOf(id) / "cv.dir").string() +
                           ": cannot be opened; the study stays");
        EXPECT_EQ(fresh.Errors(), c.result == 0 ? cancelled
                                  : c.deleted   ? std::vector<std::string>()
                                                : left);
    }
}

// Every listed file is checked before the first goes: No leaves the study exactly as it was.
TEST(StudyDeletion, AProblemIsDecidedBeforeAnyFileGoes) {
    const struct {
        std::vector<std::string> listed;
        DeleteProblemAnswer answer;
        std::vector<std::string> left;
        bool archived;
    } cases[] = {
        // A name leading outside spoils the whole list: nothing is deleted, even when the
        // operator sets the study as archived.
        {{"IMG1.dcm", "..\\..\\..\\outside.dcm"},
         DeleteProblemAnswer::Yes,
         {"IMG1.dcm", "IMG2.dcm", "LINK.dcm", "cv.dir", "sub"},
         true},
        {{"IMG1.dcm", "GONE.dcm", "IMG2.dcm"},
         DeleteProblemAnswer::No,
         {"IMG1.dcm", "IMG2.dcm", "LINK.dcm", "cv.dir", "sub"},
         false},
        {{"IMG1.dcm", "GONE.dcm", "IMG2.dcm"}, DeleteProblemAnswer::Yes, {"LINK.dcm", "sub"}, true},
        {{"IMG1.dcm", "sub", "IMG2.dcm"},
         DeleteProblemAnswer::No,
         {"IMG1.dcm", "IMG2.dcm", "LINK.dcm", "cv.dir", "sub"},
         false},
        // A listed link is not a study file: with Yes it stays, and what it points to too.
        {{"IMG1.dcm", "LINK.dcm"}, DeleteProblemAnswer::Yes, {"IMG2.dcm", "LINK.dcm", "sub"}, true},
    };
    for (const auto& c : cases) {
        RemovalSetup fresh;
        RemovalStudy study;
        study.examId = 1;
        study.cvDir = CvDirListing(c.listed);
        const fs::path folder = fresh.Add(study);
        fs::create_directory(folder / "sub");
        WriteFileBytes(fresh.Work() / "outside.dcm", "x");
        fs::permissions(fresh.Work() / "outside.dcm", fs::perms::owner_read);
        fs::create_symlink(fresh.Work() / "outside.dcm", folder / "LINK.dcm");
        fresh.op->problemAnswers = {c.answer};
        EXPECT_EQ(DeleteAll(fresh), 1);
        EXPECT_EQ(fresh.op->problemStudies.size(), 1u);
        EXPECT_EQ(FolderNames(folder), c.left) << c.listed[1];
        EXPECT_EQ(ReadFileBytes(fresh.Work() / "outside.dcm"), "x");
        EXPECT_EQ(fs::status(fresh.Work() / "outside.dcm").permissions() & fs::perms::all,
                  fs::perms::owner_read);
        EXPECT_EQ(fresh.MediaType(1) == "Archive", c.archived) << c.listed[1];
        EXPECT_EQ(PendingRemovals(), 0u);
    }
}

// The prompt names the file and what is wrong with it; its Cancel logs that, not the list.
TEST(StudyDeletion, TheProblemPromptAndItsCancelNameTheFile) {
    RemovalSetup fresh;
    RemovalStudy study;
    study.examId = 1;
    study.cvDir = CvDirListing({"IMG1.dcm", "GONE.dcm"});
    const fs::path folder = fresh.Add(study);
    fresh.op->problemAnswers = {DeleteProblemAnswer::Cancel};
    EXPECT_EQ(DeleteAll(fresh), 0);
    ASSERT_EQ(fresh.op->problemTexts.size(), 1u);
    const std::string problem = fresh.op->problemTexts[0];
    EXPECT_EQ(problem.rfind((folder / "GONE.dcm").string() + ": ", 0), 0u) << problem;
    EXPECT_EQ(fresh.Errors(), std::vector<std::string>{std::string("Error: Ann Smith ") + kDate +
                                                       " - Cancelled: " + problem});
}

// Nothing goes whose copy is not proved, and nothing outside the image store.
TEST(StudyDeletion, AStudyWithoutEvidenceOrOutsideTheStoreStaysWhole) {
    const struct {
        const char* what;
        std::function<std::string(RemovalSetup&)> arrange;  // the archive value
        const char* logged;
        bool verify = false;
    } cases[] = {
        {"copy lacks a file",
         [](RemovalSetup& s) {
             fs::remove(s.CopyOf(1) / "IMG2.dcm");
             return s.FolderCopyValue(1);
         },
         "IMG2.dcm is not in the copy"},
        {"copy file of another size",
         [](RemovalSetup& s) {
             WriteFileBytes(s.CopyOf(1) / "IMG2.dcm", "short");
             return s.FolderCopyValue(1);
         },
         "IMG2.dcm has 5 bytes in the copy"},
        {"last file damaged, verified",
         [](RemovalSetup& s) {
             WriteFileBytes(s.CopyOf(1) / "cv.dir",
                            std::string(ReadFileBytes(s.CopyOf(1) / "cv.dir").size(), 'x'));
             return s.FolderCopyValue(1);
         },
         "cv.dir differs from its copy", true},
        {"the study folder itself",
         [](RemovalSetup& s) { return "NFS:ARCH:" + s.FolderOf(1).string() + "/"; },
         "does not name this study's folder on NFS:ARCH", true},
        {"the destination's images are the image root",
         [](RemovalSetup& s) {
             fs::remove_all(s.ArchiveRoot() / "images");
             fs::create_directory_symlink(s.ImageRoot(), s.ArchiveRoot() / "images");
             return s.FolderCopyValue(1);
         },
         "is the study folder itself or inside the image root", true},
        {"the copy some levels inside the image root",
         [](RemovalSetup& s) {
             const fs::path inside = s.ImageRoot() / "copies";
             fs::create_directory(inside);
             fs::rename(s.ArchiveRoot() / "images", inside / "images");
             fs::create_directory_symlink(inside / "images", s.ArchiveRoot() / "images");
             return s.FolderCopyValue(1);
         },
         "is the study folder itself or inside the image root"},
        {"another study's copy",
         [](RemovalSetup& s) {
             Add(s, 2);
             return s.FolderCopyValue(2);
         },
         "does not name this study's folder on NFS:ARCH"},
        {"another exam, archived as well, names the same folder spelled another way",
         [](RemovalSetup& s) {
             RemovalStudy other;
             other.examId = 2;
             other.archiveValue = s.FolderCopyValue(1);
             other.imagePath = "/" + ToAsciiLower(RemovalSetup::ImagePathOf(1)) + "\\.\\";
             other.withFolder = false;
             s.Add(other);
             return s.FolderCopyValue(1);
         },
         "names its folder"},
        {"another exam names the folder above it",
         [](RemovalSetup& s) {
             RemovalStudy outer;
             outer.examId = 2;
             outer.mediaType = "Archive";  // not a candidate itself
             outer.imagePath = "\\2004";
             outer.withFolder = false;
             s.Add(outer);
             return s.FolderCopyValue(1);
         },
         "names the folder \\2004 above it"},
        {"the start directory", [](RemovalSetup&) { return std::string("NFS:ARCH:."); },
         "does not name this study's folder on NFS:ARCH"},
        {"a copy of hard links to the originals",
         [](RemovalSetup& s) {
             for (const char* name : {"IMG1.dcm", "IMG2.dcm", "cv.dir"}) {
                 fs::remove(s.CopyOf(1) / name);
                 fs::create_hard_link(s.FolderOf(1) / name, s.CopyOf(1) / name);
             }
             return s.FolderCopyValue(1);
         },
         "is the original file itself"},
        {"destination gone",
         [](RemovalSetup& s) { return "NFS:gone:" + s.CopyOf(1).string() + "/"; },
         "is no longer in archives.p"},
        {"study folder reached through a link",
         [](RemovalSetup& s) {
             fs::rename(s.FolderOf(1), s.Work() / "elsewhere");
             fs::create_directory_symlink(s.Work() / "elsewhere", s.FolderOf(1));
             return s.FolderCopyValue(1);
         },
         "reached through the link"},
    };
    for (const auto& c : cases) {
        RemovalSetup fresh;
        Add(fresh, 1);
        RunSqlite(fresh.Database(), {"UPDATE EXAM SET ARCHIVE_PATH = '" + c.arrange(fresh) + "'"});
        DeletionOptions options;
        options.verifyFolderCopies = c.verify;
        EXPECT_EQ(DeleteAll(fresh, options), 1) << c.what;
        EXPECT_FALSE(Deleted(fresh, 1)) << c.what;
        const fs::path folder = fs::canonical(fresh.FolderOf(1));
        EXPECT_EQ(FolderNames(folder), (std::vector<std::string>{"IMG1.dcm", "IMG2.dcm", "cv.dir"}))
            << c.what;
        EXPECT_NE(JoinedErrors(fresh).find(c.logged), std::string::npos) << c.what << "\n"
                                                                         << JoinedErrors(fresh);
    }
}

// A file the copy lacks is never deleted, whatever the standing answer: the prompt offers no Yes.
TEST(StudyDeletion, ALackingCopyIsNeverAcceptedByTheOperator) {
    RemovalSetup setup;
    for (long id : {1, 2}) {
        Add(setup, id);
        fs::remove(setup.CopyOf(id) / "IMG1.dcm");
    }
    setup.op->problemAnswers = {DeleteProblemAnswer::YesToAll};
    EXPECT_EQ(DeleteAll(setup), 1);
    EXPECT_EQ(setup.op->problemPromptsWithoutYes.size(), 2u);
    for (long id : {1, 2}) {
        EXPECT_FALSE(Deleted(setup, id));
        EXPECT_TRUE(fs::exists(setup.FolderOf(id) / "IMG1.dcm"));
    }
}

// A copy on an FTP server is proved by the server's listing of its folder, whatever listing the
// server offers; a server that is gone proves nothing.
// Two local names that differ in case only, one copy file (a copy on a medium that ignores
// case): one of them has no copy.
TEST(StudyDeletion, EachCopyFileStandsForOneLocalFile) {
    RemovalSetup setup;
    RemovalStudy study;
    study.examId = 1;
    study.files = {{"IMG1.dcm", "AAAA"}, {"img1.dcm", "BBBB"}};
    setup.Add(study);
    fs::remove(setup.CopyOf(1) / "img1.dcm");
    EXPECT_EQ(DeleteAll(setup), 1);
    EXPECT_FALSE(Deleted(setup, 1));
    EXPECT_EQ(ReadFileBytes(setup.FolderOf(1) / "img1.dcm"), "BBBB");
}

ArchiveDestination& AddServer(const FtpServer& ftp) {
    ArchiveDestination server(DestinationKind::Ftp);
    server.m_strIpAddress = ftp.Address();
    server.m_strUserName = ftp.User();
    server.m_strPassword = ftp.Password();
    server.BuildId();
    g_Archives.push_back(std::make_unique<ArchiveDestination>(server));
    return *g_Archives.back();
}

TEST(StudyDeletion, CopiesOnAServerAreCheckedByItsListing) {
    for (const FtpListingOffer offer :
         {FtpListingOffer::Mlsd, FtpListingOffer::List, FtpListingOffer::NameList}) {
        RemovalSetup setup;
        const fs::path served = setup.Work() / "served";
        fs::create_directories(served / "images/2004");
        FtpServer ftp(served, offer);
        const std::string id = AddServer(ftp).m_strId;
        for (long k : {1, 2, 3}) {
            const std::string study = "ST" + std::to_string(k);
            Add(setup, k, id + ":/images/2004/" + study + "/");
            fs::copy(setup.FolderOf(k), served / "images/2004" / study,
                     fs::copy_options::recursive);
        }
        fs::remove(served / "images/2004/ST2/IMG2.dcm");
        fs::rename(served / "images/2004/ST3", served / "elsewhere");
        EXPECT_EQ(DeleteAll(setup), 1);
        EXPECT_TRUE(Deleted(setup, 1)) << static_cast<int>(offer);
        EXPECT_FALSE(Deleted(setup, 2)) << static_cast<int>(offer);
        EXPECT_FALSE(Deleted(setup, 3)) << static_cast<int>(offer);
        EXPECT_NE(JoinedErrors(setup).find("IMG2.dcm is not in the copy"), std::string::npos);
        EXPECT_NE(JoinedErrors(setup).find("cannot be listed"), std::string::npos)
            << JoinedErrors(setup);
    }
}

// A server that serves the image store itself lists the study folder as its "copy": the file
// made in the study folder for the check shows it, whatever names and sizes say.
TEST(StudyDeletion, AServerServingTheImageStoreHoldsNoCopy) {
    RemovalSetup setup;
    FtpServer ftp(setup.Work());
    Add(setup, 1, AddServer(ftp).m_strId + ":/images/2004/ST1/");
    EXPECT_EQ(DeleteAll(setup), 1);
    EXPECT_FALSE(Deleted(setup, 1));
    EXPECT_EQ(FolderNames(setup.FolderOf(1)),
              (std::vector<std::string>{"IMG1.dcm", "IMG2.dcm", "cv.dir"}));
    EXPECT_NE(JoinedErrors(setup).find("shows the study folder's own files"), std::string::npos)
        << JoinedErrors(setup);
}

TEST(StudyDeletion, CopiesOnRemovableMediaAreCheckedWithTheOperator) {
    const struct {
        const char* what;
        std::vector<Answer> answers;  // to the verification questions
        const char* label;            // of the medium inserted
        bool damage;                  // a file of the same size, other bytes
        std::size_t questions;
        std::size_t mediumPrompts;
        bool first, second;  // deleted
    } cases[] = {
        {"matching copy", {Answer::Yes, Answer::Yes}, "L1", false, 2, 0, true, true},
        {"damaged copy stops", {Answer::Yes}, "L1", true, 1, 0, false, false},
        {"No: names and sizes only", {Answer::No}, "L1", true, 1, 0, true, true},
        {"medium not there", {Answer::Yes, Answer::Yes}, "OTHER", false, 2, 2, false, false},
        {"No still needs the medium", {Answer::No}, "OTHER", false, 1, 2, false, false},
        {"Cancel stops", {Answer::Cancel}, "L1", false, 1, 0, false, false},
    };
    for (const auto& c : cases) {
        RemovalSetup fresh;
        for (long id : {1, 2}) Add(fresh, id, "REM:DVD:L1:/dvd/images/2004/");
        ArchiveDestination medium(DestinationKind::Removable);
        medium.m_strRootPath = (fresh.Work() / "dvd").string();
        medium.m_strMediaType = "DVD";
        medium.BuildId();
        g_Archives.push_back(std::make_unique<ArchiveDestination>(medium));
        fs::create_directory(fresh.Work() / "dvd");
        WriteFileBytes(fresh.Work() / "dvd" / "cvlabel.txt", std::string(c.label) + "\r\n");
        for (long id : {1, 2}) {
            const fs::path copy = fresh.Work() / "dvd/images/2004" / ("ST" + std::to_string(id));
            fs::create_directories(copy);
            fs::copy(fresh.FolderOf(id), copy);
            if (c.damage) WriteFileBytes(copy / "IMG1.dcm", "image X");
        }
        fresh.op->answers.assign(c.answers.begin(), c.answers.end());
        DeleteAll(fresh);
        EXPECT_EQ(fresh.op->messages.size(), c.questions + (c.damage && !c.first ? 1 : 0))
            << c.what;
        EXPECT_EQ(fresh.op->mediumPrompts.size(), c.mediumPrompts) << c.what;
        EXPECT_EQ(fresh.MediaType(1) == "Archive", c.first) << c.what;
        EXPECT_EQ(fresh.MediaType(2) == "Archive", c.second) << c.what;
        if (c.damage && !c.first) {
            EXPECT_EQ(fresh.op->messages.back().text,
                      std::string("Cannot delete study for Ann Smith on ") + kDate +
                          "\r\nThe media is either damaged or doesn't contain the correct study");
        }
    }
}

TEST(StudyDeletion, CancelFinishesTheStudyInHandAndStopsThere) {
    RemovalSetup setup;
    Add(setup, 1);
    Add(setup, 2);
    Add(setup, 3, kFolderCopy, "TEMP");
    setup.op->onPump = [](int pump) {
        if (pump == 4) RequestStop();  // two pumps to paint, then the first study's files
    };
    EXPECT_EQ(DeleteAll(setup), 0);
    EXPECT_TRUE(Deleted(setup, 1));
    EXPECT_FALSE(Deleted(setup, 2));
    EXPECT_FALSE(Deleted(setup, 3));
    // The next study's files, already renamed away while the first went, have their names back.
    EXPECT_EQ(FolderNames(setup.FolderOf(2)), FolderNames(setup.FolderOf(3)));
    EXPECT_EQ(PendingRemovals(), 0u);
    const auto activity = setup.Activity();
    ASSERT_EQ(activity.size(), 4u);
    EXPECT_EQ(activity[2], "Delete stopped by user");
    EXPECT_EQ(activity[3], "Delete finished");
}

// Just before its files go, the row must still say what it said when the study was listed.
TEST(StudyDeletion, ARowThatChangedSinceTheListingLeavesTheStudy) {
    for (const char* change : {"DELETE FROM EXAM WHERE EXAM_ID = 1",
                               "UPDATE EXAM SET ARCHIVE_PATH = 'NFS:ARCH:/else/' WHERE EXAM_ID = 1",
                               "UPDATE EXAM SET \"Media Type\" = 'TEMP' WHERE EXAM_ID = 1",
                               // its name can no longer be read for its log lines
                               "DELETE FROM PATIENT WHERE PAT_ID = 1"}) {
        RemovalSetup setup;
        Add(setup, 1);
        Add(setup, 2);
        SelectAll(setup);
        RunSqlite(setup.Database(), {change});
        EXPECT_EQ(RunDeletionPass(WindowRunControl(), WindowCandidates(), setup.config, {}).result,
                  1)
            << change;
        EXPECT_TRUE(fs::exists(setup.FolderOf(1) / "IMG1.dcm")) << change;
        EXPECT_TRUE(Deleted(setup, 2)) << change;
        EXPECT_NE(JoinedErrors(setup).find("its row changed"), std::string::npos) << change;
    }
}

// A file that cannot be renamed away leaves its study whole; one that cannot be removed once
// renamed stays in the journal, and the next pass finishes the study.
TEST(StudyDeletion, AFailingFileLeavesTheStudyWholeOrForTheNextPass) {
    const struct {
        SystemCall call;
        int nth;
        bool whole;  // after the first pass
    } cases[] = {
        {SystemCall::Rename, 1, true},
        {SystemCall::Rename, 3, true},
        {SystemCall::Unlink, 3, false},  // the first is the check's own file in the folder
    };
    for (const auto& c : cases) {
        RemovalSetup setup;
        Add(setup, 1);
        InjectSystemCallFault(c.call, c.nth, EIO);
        EXPECT_EQ(DeleteAll(setup), 1);
        ClearSystemCallFaults();
        EXPECT_FALSE(Deleted(setup, 1));
        if (c.whole) {
            EXPECT_EQ(FolderNames(setup.FolderOf(1)),
                      (std::vector<std::string>{"IMG1.dcm", "IMG2.dcm", "cv.dir"}));
        }
        EXPECT_EQ(PendingRemovals(), c.whole ? 0u : 1u);
        EXPECT_EQ(setup.Errors().size(), 1u) << JoinedErrors(setup);

        // The next pass, with nothing selected, finishes what the journal holds.
        SelectServerCandidates(WindowCandidates(), setup.config);
        EXPECT_EQ(RunDeletionPass(WindowRunControl(), WindowCandidates(), setup.config, {}).result,
                  1);
        EXPECT_EQ(Deleted(setup, 1), !c.whole);
        EXPECT_EQ(FolderNames(setup.FolderOf(1)).empty(), !c.whole);
        EXPECT_EQ(PendingRemovals(), 0u);
    }
}

// A crash leaves the journal behind at any point between the intent and the row. Before the
// first file went, the next pass undoes the removal: the study is whole and is checked afresh.
// After it, the pass finishes it, but only while the row still names the copy and every listed
// file is gone or hidden.
TEST(StudyDeletion, TheNextPassFinishesOrUndoesAnInterruptedStudy) {
    const struct {
        const char* what;
        std::vector<const char*> hidden;  // of IMG1.dcm, IMG2.dcm, cv.dir
        std::vector<const char*> gone;
        const char* rowValue;  // nullptr: as checked
        bool deleted;
        bool whole;
        const char* logged;
    } cases[] = {
        {"one file hidden", {"IMG1.dcm"}, {}, nullptr, false, true, "was undone"},
        {"all hidden, none gone",
         {"IMG1.dcm", "IMG2.dcm", "cv.dir"},
         {},
         nullptr,
         false,
         true,
         "was undone"},
        {"one gone", {"IMG2.dcm", "cv.dir"}, {"IMG1.dcm"}, nullptr, true, false, ""},
        {"one gone, row names another copy",
         {"IMG2.dcm", "cv.dir"},
         {"IMG1.dcm"},
         "NFS:ARCH:/x/",
         false,
         false,
         "no longer names the copy"},
        {"one gone, one still named",
         {"cv.dir"},
         {"IMG1.dcm"},
         nullptr,
         false,
         false,
         "IMG2.dcm is still there under its own name"},
        {"row emptied before any file went", {}, {}, "", false, true, "was undone"},
    };
    for (const auto& c : cases) {
        RemovalSetup setup;
        const fs::path folder = Add(setup, 1);
        CatalogDatabase catalog;
        RemovalJournal journal(catalog);
        RemovalIntent intent;
        intent.examId = "1";
        intent.studyName = "Ann Smith";
        intent.examDate = kDate;
        intent.folder = fs::canonical(folder).string();
        intent.archiveValue = setup.FolderCopyValue(1);
        intent.mediaTypeColumn = "Media Type";
        const std::vector<std::string> names = {"IMG1.dcm", "IMG2.dcm", "cv.dir"};
        for (std::size_t k = 0; k < names.size(); ++k)
            intent.files.push_back({names[k], ".mirabel-removing-1-" + std::to_string(k),
                                    fs::file_size(folder / names[k])});
        journal.Record(intent);
        for (std::size_t k = 0; k < names.size(); ++k) {
            const auto is = [&](const std::vector<const char*>& list) {
                return std::find(list.begin(), list.end(), names[k]) != list.end();
            };
            if (is(c.hidden)) fs::rename(folder / names[k], folder / intent.files[k].hidden);
            if (is(c.gone)) fs::remove(folder / names[k]);
        }
        if (c.rowValue)
            RunSqlite(setup.Database(),
                      {std::string("UPDATE EXAM SET ARCHIVE_PATH = '") + c.rowValue + "'"});

        SelectServerCandidates(WindowCandidates(),
                               setup.config);  // nothing selected: the pass only recovers
        const DeletionPassResult pass =
            RunDeletionPass(WindowRunControl(), WindowCandidates(), setup.config, {});
        EXPECT_EQ(Deleted(setup, 1), c.deleted) << c.what;
        if (c.whole) {
            EXPECT_EQ(FolderNames(folder), names) << c.what;
        }
        if (c.deleted) {
            EXPECT_TRUE(FolderNames(folder).empty()) << c.what;
            EXPECT_EQ(setup.Activity()[1],
                      std::string("Ann Smith ") + kDate + " Successfully Deleted");
        }
        const bool stays = !c.deleted && !c.whole;
        EXPECT_EQ(journal.Pending().size(), stays ? 1u : 0u) << c.what;
        EXPECT_EQ(pass.journalLeft, stays) << c.what;
        EXPECT_NE(JoinedErrors(setup).find(c.logged), std::string::npos) << c.what;
    }
}

// A record that names a folder outside the image root, a way out of it through "..", or a name
// leading out of its folder, is not the pass's own: nothing is removed for it, and it stays for
// someone to look at.
TEST(StudyDeletion, AJournalRecordLeadingOutOfTheStoreIsNeverFollowed) {
    RemovalSetup setup;
    const fs::path folder = fs::canonical(Add(setup, 1));
    CatalogDatabase catalog;
    RemovalJournal journal(catalog);
    fs::create_directory(setup.Work() / "outside");
    WriteFileBytes(setup.Work() / "outside" / "IMG1.dcm", "image 1");
    WriteFileBytes(setup.Work() / "keep.dcm", "image 1");
    for (const auto& [where, name] :
         {std::pair{setup.Work() / "outside", std::string("IMG1.dcm")},
          std::pair{folder / "../../../outside", std::string("IMG1.dcm")},
          std::pair{folder, std::string("../../../keep.dcm")}}) {
        RemovalIntent intent;
        intent.examId = "2";
        intent.studyName = "Eve Doe";
        intent.folder = where.string();
        intent.archiveValue = "NFS:ARCH:/x/";
        intent.mediaTypeColumn = "Media Type";
        intent.files = {{name, ".mirabel-removing-2-0", 7}};
        journal.Record(intent);
        EXPECT_TRUE(
            RunDeletionPass(WindowRunControl(), WindowCandidates(), setup.config, {}).journalLeft)
            << where;
        EXPECT_TRUE(fs::exists(setup.Work() / "outside" / "IMG1.dcm")) << where;
        EXPECT_TRUE(fs::exists(setup.Work() / "keep.dcm")) << where;
        EXPECT_EQ(journal.Pending().size(), 1u) << where;
    }
}

// A crash, then the catalog lost: the files left under their hidden names get their names back
// and the study goes as any other.
TEST(StudyDeletion, FilesLeftHiddenWithoutAJournalGetTheirNamesBack) {
    RemovalSetup setup;
    const fs::path folder = Add(setup, 1);
    fs::rename(folder / "IMG1.dcm", folder / ".mirabel-removing-1-0");
    EXPECT_EQ(DeleteAll(setup), 1);
    EXPECT_TRUE(Deleted(setup, 1));
    EXPECT_TRUE(FolderNames(folder).empty());
}

// Another program holds the image database's write lock for a moment: the pass waits for it.
// Held for good, the pass stops before the study's first file, saying why.
TEST(StudyDeletion, ALockedImageDatabaseStopsThePassBeforeAnyFileGoes) {
    for (const bool released : {true, false}) {
        RemovalSetup setup;
        Add(setup, 1);
        SelectAll(setup);
        sqlite3* other = nullptr;
        ASSERT_EQ(sqlite3_open(setup.Database().c_str(), &other), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        std::thread release;
        if (released)
            release = std::thread([other] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
            });
        const DeletionPassResult pass =
            RunDeletionPass(WindowRunControl(), WindowCandidates(), setup.config, {});
        if (release.joinable()) release.join();
        sqlite3_close(other);
        EXPECT_EQ(Deleted(setup, 1), released);
        EXPECT_EQ(pass.result, released ? 1 : 0);
        EXPECT_EQ(pass.databaseFailure.empty(), released) << pass.databaseFailure;
        EXPECT_EQ(fs::exists(setup.FolderOf(1) / "IMG1.dcm"), !released);
        EXPECT_EQ(PendingRemovals(), 0u);
    }
}

// The pass keeps one connection for all its rows, the database stays open to others while
// files go, and nothing is left beside the database file, whose journal mode is the image
// system's own.
TEST(StudyDeletion, RowsAreWrittenWhileTheDatabaseStaysOpenToOthers) {
    for (const bool wal : {false, true}) {
        RemovalSetup setup;
        Add(setup, 1);
        Add(setup, 2);
        RunSqlite(setup.Database(),
                  {wal ? "PRAGMA journal_mode=WAL" : "PRAGMA journal_mode=DELETE"});
        bool othersWrote = false;
        setup.op->onPump = [&](int) {
            if (othersWrote || fs::exists(setup.FolderOf(2) / "IMG1.dcm")) return;
            // Another program writes, and the main window counts on "corvana", meanwhile.
            RunSqlite(setup.Database(), {"UPDATE PATIENT SET NAME_F = 'Anne'"});
            std::size_t waiting = 0;
            othersWrote = CountWaitingStudies(setup.config, waiting);
        };
        EXPECT_EQ(DeleteAll(setup), 1) << wal;
        EXPECT_TRUE(othersWrote) << wal;
        EXPECT_TRUE(Deleted(setup, 1) && Deleted(setup, 2)) << wal;
        EXPECT_FALSE(fs::exists(setup.Database().string() + "-journal")) << wal;
        EXPECT_EQ(ReadFileBytes(setup.Database())[18], wal ? 2 : 1);  // the file's journal mode
        EXPECT_TRUE(setup.Errors().empty()) << JoinedErrors(setup);
    }
}

// The rows of studies whose files are gone are written together; when that write fails, each
// of those studies stays in the journal and the next pass writes its row.
TEST(StudyDeletion, RowsThatCannotBeWrittenAreWrittenByTheNextPass) {
    RemovalSetup setup;
    for (long id = 1; id <= 3; ++id) Add(setup, id);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(setup.Database().c_str(), &other), SQLITE_OK);
    bool locked = false;
    setup.op->onPump = [&](int) {
        if (locked || fs::exists(setup.FolderOf(2) / "IMG1.dcm")) return;
        locked = sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    EXPECT_EQ(DeleteAll(setup), 0);
    ASSERT_TRUE(locked);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    // The first row of a pass is written alone, while the next study's files are hidden: that
    // study gets its names back.
    EXPECT_FALSE(fs::exists(setup.FolderOf(1) / "IMG1.dcm"));
    EXPECT_FALSE(Deleted(setup, 1) || Deleted(setup, 2));
    EXPECT_TRUE(fs::exists(setup.FolderOf(2) / "IMG1.dcm"));
    EXPECT_TRUE(fs::exists(setup.FolderOf(3) / "IMG1.dcm"));
    EXPECT_EQ(PendingRemovals(), 1u);
    setup.op->onPump = nullptr;
    EXPECT_EQ(DeleteAll(setup), 1) << JoinedErrors(setup);
    EXPECT_TRUE(Deleted(setup, 1) && Deleted(setup, 2) && Deleted(setup, 3));
    EXPECT_EQ(PendingRemovals(), 0u);
}

// A row the database refuses (a trigger of the image system, for a study under review) does not
// keep the rows written in the same commit from being written: only its study stays in the
// journal. A database that refuses every such row stops the pass at its first study.
TEST(StudyDeletion, ARowTheDatabaseRefusesKeepsOnlyItsOwnStudyInTheJournal) {
    struct Case {
        const char* refused;  // which rows the trigger refuses
        std::vector<long> deleted, whole;
    };
    for (const Case& c : {Case{"NEW.EXAM_ID = 2", {1, 3, 4}, {}}, Case{"1", {}, {2, 3, 4}}}) {
        RemovalSetup setup;
        for (long id = 1; id <= 4; ++id) Add(setup, id);
        RunSqlite(
            setup.Database(),
            {"CREATE TRIGGER under_review BEFORE UPDATE OF [Media Type] ON EXAM WHEN "
             "NEW.[Media Type] = 'Archive' AND " +
             std::string(c.refused) + " BEGIN SELECT RAISE(ABORT, 'study under review'); END"});
        EXPECT_EQ(DeleteAll(setup), 0);
        for (long id : c.deleted) EXPECT_TRUE(Deleted(setup, id)) << c.refused << ": " << id;
        for (long id : c.whole)
            EXPECT_TRUE(fs::exists(setup.FolderOf(id) / "IMG1.dcm")) << c.refused << ": " << id;
        EXPECT_EQ(PendingRemovals(), 1u) << c.refused;
    }
}

TEST(StudyDeletion, AnEmptySelectionOpensAndClosesTheProgressWindowOnly) {
    RemovalSetup setup;
    Add(setup, 1);
    SelectServerCandidates(WindowCandidates(), setup.config);
    EXPECT_EQ(RunDeletionPass(WindowRunControl(), WindowCandidates(), setup.config, {}).result, 1);
    EXPECT_EQ(setup.Activity(), (std::vector<std::string>{"Delete started", "Delete finished"}));
    EXPECT_EQ(setup.op->progress.size(), 2u);
    EXPECT_EQ(g_ServerCandidates.size(), 1u);
}

}  // namespace

}  // namespace mirabel

namespace mirabel {
namespace {

// The catalog's record of a study's copy, from the original's files as they are now.
void Catalogue(const RemovalSetup& setup, long id, const std::string& destination,
               const std::string& value) {
    CatalogDatabase catalog;
    CopyCatalog(catalog).Record(RecordOfOriginals(setup, id, destination, value));
}

// With the catalog's record of a copy, each local file must still have the bytes that were
// copied, and a copy an audit found damaged proves nothing; with "VerifyFolderCopies" on, a
// copy on a server is read back too.
TEST(StudyDeletion, TheCatalogDecidesForTheStudiesItRecorded) {
    const struct {
        const char* what;
        bool onServer;
        bool verify;
        const char* logged;  // empty: deleted
    } cases[] = {
        {"as archived", false, false, ""},
        {"a file changed since", false, false, "IMG1.dcm changed since the study was archived"},
        // cv.dir, which lists it, changed too
        {"a file added since", false, false, "since the study was archived"},
        {"damaged at the last audit", false, false, "found its copy damaged"},
        {"server copy as archived, read back", true, true, ""},
        {"server copy changed, read back", true, true, "does not hold what was copied: IMG2.dcm"},
    };
    for (const auto& c : cases) {
        RemovalSetup setup;
        const std::string what = c.what;
        std::unique_ptr<FtpServer> ftp;
        std::string destination = "NFS:ARCH", value;
        if (c.onServer) {
            fs::create_directories(setup.Work() / "served/images/2004");
            ftp = std::make_unique<FtpServer>(setup.Work() / "served");
            destination = AddServer(*ftp).m_strId;
            value = destination + ":/images/2004/ST1/";
            Add(setup, 1, value);
            fs::copy(setup.FolderOf(1), setup.Work() / "served/images/2004/ST1");
        } else {
            Add(setup, 1);
            value = setup.FolderCopyValue(1);
        }
        Catalogue(setup, 1, destination, value);
        const fs::path copy =
            c.onServer ? setup.Work() / "served/images/2004/ST1" : setup.CopyOf(1);
        if (what == "a file changed since")
            WriteFileBytes(setup.FolderOf(1) / "IMG1.dcm", "image X");
        if (what == "a file added since") {
            for (const fs::path& folder : {setup.FolderOf(1), copy})
                WriteFileBytes(folder / "IMG3.dcm", "image 3");
            WriteFileBytes(setup.FolderOf(1) / "cv.dir",
                           ReadFileBytes(setup.FolderOf(1) / "cv.dir") + "IMG3.dcm\r\n");
            WriteFileBytes(copy / "cv.dir", ReadFileBytes(setup.FolderOf(1) / "cv.dir"));
        }
        if (what == "damaged at the last audit") {
            CatalogDatabase catalog;
            CopyCatalog(catalog).RecordCheck("1", destination, kCopyDamaged, "IMG1.dcm");
        }
        if (what == "server copy changed, read back") WriteFileBytes(copy / "IMG2.dcm", "image X");
        DeletionOptions options;
        options.verifyFolderCopies = c.verify;
        EXPECT_EQ(DeleteAll(setup, options), 1) << what;
        EXPECT_EQ(Deleted(setup, 1), *c.logged == '\0') << what << "\n" << JoinedErrors(setup);
        if (*c.logged != '\0') {
            EXPECT_NE(JoinedErrors(setup).find(c.logged), std::string::npos) << what;
        }
    }
}

}  // namespace
}  // namespace mirabel
