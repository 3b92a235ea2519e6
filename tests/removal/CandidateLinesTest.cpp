// The Select Studies list's lines and the selection they make, keyed by the studies they show.
#include "app/WindowRun.h"
#include "removal/CandidateLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "removal/DeletionCandidates.h"

namespace mirabel {

namespace {

void Fill(CandidateList& list, std::initializer_list<const char*> examIds) {
    list.clear();
    for (const char* id : examIds) list.Add(id, "", "");
}

std::set<std::string> SelectedIn(const CandidateList& list) {
    std::set<std::string> ids;
    for (const auto& record : list)
        if (record.m_bSelected) ids.emplace(record.ExamId());
    return ids;
}

// A large store must not hold the window while every folder is measured: what the budget does
// not reach shows as not measured, and every study still has its line.
TEST(CandidateLines, FoldersBeyondTheMeasuringBudgetShowAsNotMeasured) {
    Fill(g_ServerCandidates, {"10", "11"});
    const auto size = [](const CandidateListLine& line) {
        return line.columns[static_cast<int>(CandidateColumn::Size)];
    };
    const std::vector<CandidateListLine> late =
        CandidateListLines(WindowCandidates(), {}, "", std::chrono::milliseconds(0));
    ASSERT_EQ(late.size(), 2u);
    for (const CandidateListLine& line : late) EXPECT_EQ(size(line), kSizeNotMeasured);
    EXPECT_EQ(size(CandidateListLines(WindowCandidates(), {}, "").front()), "-");
    WindowCandidates() = {};
}

TEST(CandidateLines, AHighlightedLineSelectsItsStudyAfterTheListsWereRebuilt) {
    Fill(g_TempCandidates, {"12"});
    Fill(g_ServerCandidates, {"10", "11"});
    const std::vector<CandidateListLine> lines = CandidateListLines(WindowCandidates(), {}, "");
    ASSERT_EQ(lines.size(), 3u);
    // The operator highlights the temporary study and the first server study.
    const std::vector<CandidateKey> highlighted = {lines[0].key, lines[1].key};

    // Meanwhile another pass deleted exam 12 and listed the server studies in another order,
    // with exam 11 (and a same-numbered temporary study) where exam 10 was.
    Fill(g_TempCandidates, {"11"});
    Fill(g_ServerCandidates, {"11", "13", "10"});
    g_ServerCandidates[0].m_bSelected = 1;
    SyncSelection(WindowCandidates(), highlighted);

    EXPECT_EQ(SelectedIn(g_ServerCandidates), std::set<std::string>{"10"});
    EXPECT_TRUE(SelectedIn(g_TempCandidates).empty());
    WindowCandidates() = {};
}

TEST(CandidateLines, SizesSortByNumberAndExamDatesByDate) {
    const struct {
        CandidateColumn column;
        std::vector<std::string> ascending;
    } cases[] = {
        {CandidateColumn::Size, {"-", kSizeNotMeasured, "0", "9", "10", "120", "1024"}},
        {CandidateColumn::ExamDate,
         {"12/31/1999 23:00", "01/02/2004 10:15", "01/17/2004 09:00", "03/01/2004 08:00"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> shuffled(c.ascending.rbegin(), c.ascending.rend());
        std::sort(shuffled.begin(), shuffled.end(), [&](const auto& a, const auto& b) {
            return CandidateSortKey(c.column, a) < CandidateSortKey(c.column, b);
        });
        EXPECT_EQ(shuffled, c.ascending);
    }
}

}  // namespace

}  // namespace mirabel
