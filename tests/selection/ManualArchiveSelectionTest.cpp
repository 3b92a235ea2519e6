// The write list of the manual selection: studies added with their size, removed by selection,
// and archived in one run to a folder destination, with the real database, folders and run lock.
#include "app/WindowRun.h"
#include "selection/ManualArchiveSelection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "app/ArchiverCore.h"
#include "app/CoreSelectionHost.h"
#include "archive/RunLock.h"
#include "archive/RunState.h"
#include "db/StudyRecord.h"
#include "fixtures/ArchiveColumnReader.h"
#include "fixtures/ProgramDirectory.h"
#include "fixtures/ScriptedOperator.h"
#include "fixtures/SearchDatabase.h"
#include "fixtures/TransferSetup.h"
#include "log/Logs.h"
#include "selection/StudyListHandover.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> ExamIds(const std::vector<SearchResult>& entries) {
    std::vector<std::string> ids;
    for (const SearchResult& entry : entries) ids.push_back(entry.m_strExamId);
    return ids;
}

// The start directory of the main window with the folder destination "NFS:lab" current and the
// search test database as its image database; failed studies are retried without a pause.
class ManualSelection : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("MIRABEL_RETRY_PAUSE_MS", "0", 1);
        dir.StoreFolderArchive(Content(), 2);
        WriteFileBytes(dir / "Default.cfg", "NFS:lab");
        core.LoadInitialSettings();
        ASSERT_TRUE(core.ReadCurrentArchiveFile());
        core.ReadDestinationList();
        core.FindCurrentArchive();
        core.LoadArchiveSettings();
    }
    void TearDown() override { ::unsetenv("MIRABEL_RETRY_PAUSE_MS"); }
    virtual ImageDatabaseContent Content() const { return SearchTestContent(); }

    // Searches every study: 104 103 109 108 106 105 101 102 (indexes 0 to 7).
    void SearchAll() {
        ASSERT_EQ(selection.Search(core.Config(), {.m_bNonArchivedOnly = false}),
                  SearchOutcome::Searched);
    }
    fs::path StudyFolder(const std::string& examId) const {
        return dir / ("images/2004/ST" + examId);
    }
    std::string ImageRoot() const { return core.Config().m_strImagePath; }

    ProgramDirectory dir;
    ScopedOperator op;
    ArchiverCore core{dir.Hive()};
    CoreSelectionHost host{core};
    ManualArchiveSelection selection;
};

TEST_F(ManualSelection, AddedStudiesCarryTheirFolderSizeAndAMissingFolderCountsNothing) {
    SearchAll();
    MakeSparseFile(StudyFolder("101") / "CINE.dcm", 3 * 1048576);
    fs::remove_all(StudyFolder("106"));

    EXPECT_EQ(selection.Add(WindowRunControl(), {1, 4, 6}, ImageRoot()), 3u);
    EXPECT_EQ(ExamIds(selection.WriteList()), (std::vector<std::string>{"103", "106", "101"}));
    EXPECT_EQ(selection.CurrentSizeText(), "Current Size: 5 MB");  // 1 + 0 + 4
    // The results stay; the three already listed are not added again, nor counted twice; 108
    // has no folder at all.
    EXPECT_EQ(selection.AddAll(WindowRunControl(), ImageRoot()), 5u);
    EXPECT_EQ(selection.Results().size(), 8u);
    EXPECT_EQ(selection.WriteList().size(), 8u);
    EXPECT_EQ(selection.CurrentSizeText(), "Current Size: 9 MB");
    EXPECT_EQ(selection.Add(WindowRunControl(), {1}, ImageRoot()), 0u);
}

TEST_F(ManualSelection, WriteArchivesTheListAndKeepsExactlyTheStudiesNotArchived) {
    // Unmarked first: a study archived with its row written is no longer unarchived.
    for (const bool markArchived : {false, true}) {
        SCOPED_TRACE(markArchived ? "Mark As Archived" : "not marked");
        fs::remove_all(dir / "archive/images");
        fs::remove_all(StudyFolder("106"));
        SearchAll();
        // 108 has no image path, 106 no folder, 105 was archived before.
        selection.Add(WindowRunControl(), {3, 4, 5, 6}, ImageRoot());

        std::string refusal;
        ASSERT_TRUE(selection.WriteToArchive(host, markArchived, refusal)) << refusal;

        // 108 stays, for the operator to see it was not written.
        EXPECT_EQ(ExamIds(selection.WriteList()), (std::vector<std::string>{"108", "106"}));
        ASSERT_EQ(g_StudyList.size(), 1u);
        EXPECT_EQ(g_StudyList[0]->ExamId(), "106");
        EXPECT_EQ(selection.CurrentSizeText(), "Current Size: 0 MB");
        EXPECT_TRUE(fs::exists(dir / "archive/images/2004/ST101/IMG1.dcm"));
        EXPECT_TRUE(fs::exists(dir / "archive/images/2004/ST105/exam.ver"));
        const std::string archived = "NFS:lab:" + (dir / "archive/images/2004/ST101/").string();
        EXPECT_EQ(ReadArchiveValue(dir / "echo.db", 101), markArchived ? archived : "");
        EXPECT_EQ(ReadArchiveValue(dir / "echo.db", 105), kEarlierArchiveValue);
        EXPECT_EQ(ReadArchiveValue(dir / "echo.db", 106), "");
        EXPECT_EQ(g_pProgressDlg, nullptr);
        EXPECT_FALSE(core.RunInProgress());
        selection.Remove({0, 1});
    }
    const std::string errors = ReadFileBytes(dir / kErrorLogFile);
    for (const char* failure :
         {"Failure archiving study for Hans Mueller on 01/16/2004 09:00 - study directory does "
          "not exist",
          "Failure archiving study for Anne Smithson on 01/18/2004 12:00 - no image folder is "
          "recorded for the study"})
        EXPECT_NE(errors.find(failure), std::string::npos) << failure;
}

TEST_F(ManualSelection, WriteWhileAnotherRunHoldsTheDirectoryChangesNothing) {
    SearchAll();
    selection.Add(WindowRunControl(), {6}, ImageRoot());
    g_StudyList.push_back(std::make_unique<StudyRecord>());
    std::string refusal;
    const auto otherRun = TakeRunLock(dir.path(), refusal);
    ASSERT_TRUE(otherRun) << refusal;

    EXPECT_FALSE(selection.WriteToArchive(host, true, refusal));

    EXPECT_EQ(refusal, kAnotherRunInProgress);
    EXPECT_EQ(ExamIds(selection.WriteList()), std::vector<std::string>{"101"});
    EXPECT_EQ(g_StudyList.size(), 1u);
    EXPECT_FALSE(fs::exists(dir / "archive/images"));
    EXPECT_EQ(ReadArchiveValue(dir / "echo.db", 101), "");
}

TEST(ManualSelectionHandOver, WriteListKeepsTheEntriesWhoseStudiesWereNotArchived) {
    struct Case {
        std::vector<std::string> written;  // exam ids; "-" marks an entry without image path
        std::vector<int> archived;         // per study handed over
        std::vector<std::string> kept;
    } cases[] = {
        {{"1", "2", "3"}, {1, 1, 1}, {}},
        {{"1", "2", "3"}, {0, 0, 0}, {"1", "2", "3"}},
        {{"1", "-", "3", "1"}, {1, 0, 0}, {"-", "3", "1"}},
        {{"1", "2", "1"}, {0, 1, 1}, {"1"}},
        {{"-", "-"}, {}, {"-", "-"}},
    };
    for (const Case& c : cases) {
        std::vector<SearchResult> writeList;
        for (const std::string& id : c.written) {
            SearchResult& entry = writeList.emplace_back();
            entry.m_strExamId = id;
            if (id != "-") entry.m_strImagePath = "\\2004\\ST" + id;
        }
        HandOverToStudyList(g_StudyList, writeList, true);
        ASSERT_EQ(g_StudyList.size(), c.archived.size());
        for (std::size_t i = 0; i < c.archived.size(); ++i)
            g_StudyList[i]->m_bArchived = c.archived[i];

        KeepStudiesNotArchived(g_StudyList, writeList);

        EXPECT_EQ(ExamIds(writeList), c.kept);
        EXPECT_EQ(g_StudyList.size(),
                  c.kept.size() - std::count(c.kept.begin(), c.kept.end(), "-"));
    }
    g_StudyList.clear();
}

// Thirty waiting studies: enough to add more than the quiet limit at once.
class ManySelected : public ManualSelection {
  protected:
    ImageDatabaseContent Content() const override {
        ExamMix mix;
        mix.exams = 30;
        mix.archivedShare = mix.oldCvsShare = mix.nullImagePathShare = 0;
        return GenerateImageDatabaseContent(mix);
    }
};

TEST_F(ManySelected, AddingMoreThanTwentyShowsProgressAndCancelKeepsWhatWasAdded) {
    struct Case {
        std::size_t count;
        int cancelAfter;  // studies measured before Cancel; 0: never
        std::size_t added;
        bool window;
    } cases[] = {{20, 0, 20, false}, {21, 0, 21, true}, {30, 5, 5, true}};
    SearchAll();
    for (const Case& c : cases) {
        op->progress.clear();
        // The progress window pumps twice as it opens, then once after each study.
        op->onPump = [&](int pump) {
            if (c.cancelAfter && pump == 2 + c.cancelAfter) RequestStop();
        };
        op->pumps = 0;
        std::vector<std::size_t> lines(c.count);
        for (std::size_t i = 0; i < c.count; ++i) lines[i] = i;
        ManualArchiveSelection fresh = selection;

        EXPECT_EQ(fresh.Add(WindowRunControl(), lines, ImageRoot()), c.added);

        EXPECT_EQ(fresh.WriteList().size(), c.added);
        const auto studies = op->ProgressOf("study");
        EXPECT_EQ(studies.size(), c.window ? c.added : 0u);
        if (!studies.empty()) {
            EXPECT_EQ(studies.back().total, static_cast<int>(c.count));
        }
        EXPECT_EQ(g_pProgressDlg, nullptr);
    }
}

}  // namespace

}  // namespace mirabel
