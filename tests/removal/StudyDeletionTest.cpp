// Verified study deletion on real study folders, a SQLite image database and a removable medium
// that is a folder with "cvlabel.txt".
#include "removal/StudyDeletion.h"

#include <gtest/gtest.h>

#include "archive/RunState.h"
#include "config/ArchiveDestination.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/RemovalSetup.h"
#include "fixtures/TransferSetup.h"
#include "db/WaitingStudyCount.h"
#include "removal/CandidateSelection.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kDate = "01/17/2004 10:15";  // as the database layer gives dates

fs::path Add(RemovalSetup& setup, long id, std::string archiveValue = "FTP:10.1.2.3:/data/images/",
             const char* media = "Image Server") {
    RemovalStudy study;
    study.examId = id;
    study.archiveValue = std::move(archiveValue);
    study.mediaType = media;
    return setup.Add(study);
}

// Lists the candidates and selects them all.
void SelectAll(const RemovalSetup& setup) {
    SelectServerCandidates(setup.config);
    SelectTempCandidates(setup.config);
    for (auto* list : {&g_ServerCandidates, &g_TempCandidates})
        for (const auto& record : *list) record->m_bSelected = 1;
}

int DeleteAll(const RemovalSetup& setup, const DeletionOptions& options = {}) {
    SelectAll(setup);
    return RunDeletionPass(setup.config, options);
}

bool Deleted(const RemovalSetup& setup, long id) {
    return setup.MediaType(id) == "Archive";
}

TEST(StudyDeletion, ExactlyTheListedFilesGoAndTheRowSaysArchive) {
    RemovalSetup setup;
    const fs::path folder = Add(setup, 1);
    WriteFileBytes(folder / "keep.txt", "not listed");
    WriteFileBytes(setup.Work() / "outside.dcm", "someone else's");
    fs::create_symlink(setup.Work() / "outside.dcm", folder / "LINK.dcm");
    fs::permissions(folder / "IMG2.dcm", fs::perms::owner_read);
    WriteFileBytes(folder / "cv.dir",
                   CvDirListing({"IMG1.dcm", "IMG2.dcm", "IMG1.dcm", "LINK.dcm"}));

    EXPECT_EQ(DeleteAll(setup), 1);
    for (const char* gone : {"cv.dir", "IMG1.dcm", "IMG2.dcm", "LINK.dcm"})
        EXPECT_FALSE(fs::exists(fs::symlink_status(folder / gone))) << gone;
    EXPECT_TRUE(fs::exists(folder / "keep.txt"));
    EXPECT_EQ(ReadFileBytes(setup.Work() / "outside.dcm"), "someone else's");
    EXPECT_TRUE(Deleted(setup, 1));
    EXPECT_TRUE(g_ServerCandidates.empty());
    EXPECT_EQ(setup.Activity(),
              (std::vector<std::string>{"Delete started",
                                        std::string("Ann Smith ") + kDate + " Successfully Deleted",
                                        "Delete finished"}));
    const auto files = setup.op->ProgressOf("file");
    ASSERT_EQ(files.size(), 4u);  // the list file first, the duplicate once
    EXPECT_EQ(files.back().total, 4);
    EXPECT_TRUE(files.back().deleting);
    EXPECT_TRUE(setup.Errors().empty());
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
        EXPECT_EQ(fresh.Errors(), c.result == 0 ? cancelled : std::vector<std::string>());
    }
}

TEST(StudyDeletion, AListThatCannotBeTrustedOrAMissingFileDeletesNothingUnasked) {
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
         {"cv.dir", "IMG1.dcm", "IMG2.dcm"},
         true},
        {{"IMG1.dcm", "GONE.dcm", "IMG2.dcm"}, DeleteProblemAnswer::No, {"IMG2.dcm"}, false},
        {{"IMG1.dcm", "GONE.dcm", "IMG2.dcm"}, DeleteProblemAnswer::Yes, {}, true},
        {{"IMG1.dcm", "sub", "IMG2.dcm"}, DeleteProblemAnswer::No, {"IMG2.dcm"}, false},
    };
    for (const auto& c : cases) {
        RemovalSetup fresh;
        RemovalStudy study;
        study.examId = 1;
        study.cvDir = CvDirListing(c.listed);
        const fs::path folder = fresh.Add(study);
        fs::create_directory(folder / "sub");
        WriteFileBytes(fresh.Work() / "outside.dcm", "x");
        fresh.op->problemAnswers = {c.answer};
        EXPECT_EQ(DeleteAll(fresh), 1);
        EXPECT_EQ(fresh.op->problemStudies.size(), 1u);
        for (const char* name : {"cv.dir", "IMG1.dcm", "IMG2.dcm"})
            EXPECT_EQ(fs::exists(folder / name),
                      std::find(c.left.begin(), c.left.end(), name) != c.left.end())
                << c.listed[1] << " " << name;
        EXPECT_TRUE(fs::exists(fresh.Work() / "outside.dcm"));
        EXPECT_EQ(fresh.MediaType(1) == "Archive", c.archived) << c.listed[1];
        EXPECT_EQ(g_ServerCandidates.empty(), c.archived);
    }
}

// A long list goes in several runs of files at once; none passes its problem file, so with No
// the files after it stay.
TEST(StudyDeletion, ALongListStopsAtItsProblemFile) {
    constexpr int kFiles = 700, kMissing = 450;
    for (const DeleteProblemAnswer answer : {DeleteProblemAnswer::No, DeleteProblemAnswer::Yes}) {
        RemovalSetup fresh;
        RemovalStudy study;
        study.examId = 1;
        study.files.clear();
        std::vector<std::string> listed;
        for (int k = 0; k < kFiles; ++k) {
            listed.push_back("IM" + std::to_string(k) + ".dcm");
            if (k != kMissing) study.files[listed.back()] = "x";
        }
        study.cvDir = CvDirListing(listed);
        const fs::path folder = fresh.Add(study);
        fresh.op->problemAnswers = {answer};
        EXPECT_EQ(DeleteAll(fresh), 1);
        const bool yes = answer == DeleteProblemAnswer::Yes;
        for (int k = 0; k < kFiles; ++k)
            ASSERT_EQ(fs::exists(folder / listed[k]), k > kMissing && !yes) << k;
        EXPECT_EQ(fresh.MediaType(1) == "Archive", yes);
        // Every file up to the problem file was shown, in order.
        const auto files = fresh.op->ProgressOf("file");
        ASSERT_EQ(files.size(), yes ? kFiles + 1u : kMissing + 2u);
        for (std::size_t k = 0; k < files.size(); ++k)
            ASSERT_EQ(files[k].current, static_cast<int>(k) + 1);
    }
}

TEST(StudyDeletion, UnsafeIdsAndPathsLeaveTheStudyWithAnErrorLine) {
    RemovalSetup setup;
    Add(setup, 1);
    Add(setup, 2);
    SelectAll(setup);
    g_ServerCandidates[0]->SetExamId("1 OR 1=1");
    g_ServerCandidates[1]->SetImagePath("\\..\\..");
    EXPECT_EQ(RunDeletionPass(setup.config, {}), 1);
    EXPECT_FALSE(Deleted(setup, 1));
    EXPECT_FALSE(Deleted(setup, 2));
    EXPECT_TRUE(fs::exists(setup.FolderOf(1) / "cv.dir"));
    EXPECT_EQ(setup.Errors().size(), 2u);
    EXPECT_EQ(g_ServerCandidates.size(), 2u);
}

TEST(StudyDeletion, CopiesOnRemovableMediaAreCheckedWithTheOperator) {
    const struct {
        const char* what;
        std::vector<Answer> answers;  // to the verification questions
        const char* label;            // of the medium inserted
        bool damage;
        std::size_t questions;
        std::size_t mediumPrompts;
        bool first, second;  // deleted
    } cases[] = {
        {"matching copy", {Answer::Yes, Answer::Yes}, "L1", false, 2, 0, true, true},
        {"damaged copy stops", {Answer::Yes}, "L1", true, 1, 0, false, false},
        {"medium not there", {Answer::Yes, Answer::Yes}, "OTHER", false, 2, 2, false, false},
        {"No: no more checks", {Answer::No}, "OTHER", false, 1, 0, true, true},
        {"Cancel stops", {Answer::Cancel}, "L1", false, 1, 0, false, false},
    };
    for (const auto& c : cases) {
        RemovalSetup fresh;
        RemovalStudy study;
        study.archiveValue = "REM:DVD:L1:/dvd/images/2004/";
        for (long id : {1, 2}) {
            study.examId = id;
            fresh.Add(study);
        }
        ArchiveDestination medium(DestinationKind::Removable);
        medium.m_strRootPath = (fresh.Work() / "dvd").string();
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
        EXPECT_EQ(fresh.op->messages.size(), c.questions + (c.damage ? 1 : 0)) << c.what;
        EXPECT_EQ(fresh.op->mediumPrompts.size(), c.mediumPrompts) << c.what;
        EXPECT_EQ(fresh.MediaType(1) == "Archive", c.first) << c.what;
        EXPECT_EQ(fresh.MediaType(2) == "Archive", c.second) << c.what;
        if (c.damage) {
            EXPECT_EQ(fresh.op->messages.back().text,
                      std::string("Cannot delete study for Ann Smith on ") + kDate +
                          "\r\nThe media is either damaged or doesn't contain the correct study");
        }
    }
}

TEST(StudyDeletion, FolderCopiesAreComparedWhenAsked) {
    RemovalSetup setup;
    const fs::path copy = setup.Work() / "nfs" / "images" / "ST1";
    Add(setup, 1, "NFS:lab:" + copy.string() + "/");
    Add(setup, 2, "NFS:lab:" + (setup.Work() / "nfs" / "images" / "ST2").string() + "/");
    fs::create_directories(copy);
    fs::copy(setup.FolderOf(1), copy);
    DeletionOptions options;
    options.verifyFolderCopies = true;
    EXPECT_EQ(DeleteAll(setup, options), 1);
    EXPECT_TRUE(Deleted(setup, 1));
    EXPECT_FALSE(Deleted(setup, 2));
    EXPECT_TRUE(fs::exists(setup.FolderOf(2) / "IMG1.dcm"));
    const auto errors = setup.Errors();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0], "Compare Directories: Image directory on media does not exist");
    EXPECT_NE(errors[1].find("is missing or does not match"), std::string::npos);

    EXPECT_EQ(DeleteAll(setup), 1);  // without the setting, no comparison
    EXPECT_TRUE(Deleted(setup, 2));
}

TEST(StudyDeletion, CancelFinishesTheStudyInHandAndStopsThere) {
    RemovalSetup setup;
    Add(setup, 1);
    Add(setup, 2);
    Add(setup, 3, "FTP:x:/t/", "TEMP");
    setup.op->onPump = [](int pump) {
        if (pump == 4) RequestStop();  // two pumps to paint, then the first study's files
    };
    EXPECT_EQ(DeleteAll(setup), 0);
    EXPECT_TRUE(Deleted(setup, 1));
    EXPECT_FALSE(Deleted(setup, 2));
    EXPECT_FALSE(Deleted(setup, 3));
    const auto activity = setup.Activity();
    ASSERT_EQ(activity.size(), 4u);
    EXPECT_EQ(activity[2], "Delete stopped by user");
    EXPECT_EQ(activity[3], "Delete finished");
}

TEST(StudyDeletion, ARowThatCannotBeSetStopsThePassWithTheStudyListed) {
    RemovalSetup setup;
    Add(setup, 1);
    Add(setup, 2);
    SelectAll(setup);
    RunSqlite(setup.Database(), {"DELETE FROM EXAM WHERE EXAM_ID = 1"});
    EXPECT_EQ(RunDeletionPass(setup.config, {}), 0);
    EXPECT_FALSE(fs::exists(setup.FolderOf(1) / "IMG1.dcm"));
    EXPECT_TRUE(fs::exists(setup.FolderOf(2) / "IMG1.dcm"));
    EXPECT_EQ(g_ServerCandidates.size(), 2u);
}

// The pass keeps one connection for all its rows; each row is committed before the next study's
// files go, the database stays open to others, and nothing is left beside the database file,
// whose journal mode is the image system's own.
TEST(StudyDeletion, EachRowIsCommittedBeforeTheNextStudysFilesGo) {
    for (const bool wal : {false, true}) {
        RemovalSetup setup;
        Add(setup, 1);
        Add(setup, 2);
        RunSqlite(setup.Database(),
                  {wal ? "PRAGMA journal_mode=WAL" : "PRAGMA journal_mode=DELETE"});
        std::optional<std::string> firstRow;
        setup.op->onPump = [&](int) {
            if (firstRow || fs::exists(setup.FolderOf(2) / "cv.dir")) return;
            firstRow = setup.MediaType(1);
            // Another program writes, and the main window counts on "corvana", meanwhile.
            RunSqlite(setup.Database(), {"UPDATE PATIENT SET NAME_F = 'Anne'"});
            std::size_t waiting = 0;
            EXPECT_TRUE(CountWaitingStudies(setup.config, waiting));
        };
        EXPECT_EQ(DeleteAll(setup), 1) << wal;
        EXPECT_EQ(firstRow, "Archive") << wal;
        EXPECT_TRUE(Deleted(setup, 2)) << wal;
        EXPECT_FALSE(fs::exists(setup.Database().string() + "-journal")) << wal;
        EXPECT_EQ(ReadFileBytes(setup.Database())[18], wal ? 2 : 1);  // the file's journal mode
        EXPECT_TRUE(setup.Errors().empty()) << ::testing::PrintToString(setup.Errors());
    }
}

TEST(StudyDeletion, AnEmptySelectionOpensAndClosesTheProgressWindowOnly) {
    RemovalSetup setup;
    Add(setup, 1);
    SelectServerCandidates(setup.config);
    EXPECT_EQ(RunDeletionPass(setup.config, {}), 1);
    EXPECT_EQ(setup.Activity(), (std::vector<std::string>{"Delete started", "Delete finished"}));
    EXPECT_EQ(setup.op->progress.size(), 2u);
    EXPECT_EQ(g_ServerCandidates.size(), 1u);
}

}  // namespace

}  // namespace mirabel
