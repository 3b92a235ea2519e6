// Auto-Delete By Size: the oldest archived studies are selected until the free space of the
// image store plus the room the selected studies take up reaches the limit.
#include "app/WindowRun.h"
#include "removal/SizeRule.h"

#include <gtest/gtest.h>

#include <set>

#include "fixtures/RemovalSetup.h"
#include "platform/FreeSpace.h"
#include "removal/CandidateSelection.h"
#include "removal/DeletionCandidates.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

TEST(SizeRule, TheGoalIsAPlainNumberOfGigabytesThatFitsTheImageStore) {
    const std::uint64_t store = 100 * kBytesPerGigabyte;
    const struct {
        const char* text;
        std::optional<std::uint64_t> bytes;  // nullopt: refused
    } cases[] = {
        {"10", 10 * kBytesPerGigabyte},
        {" 1.5 ", 3 * kBytesPerGigabyte / 2},
        {".5", kBytesPerGigabyte / 2},
        {"7.", 7 * kBytesPerGigabyte},
        {"0", 0},
        {"100", store},
        {"100.000001", std::nullopt},
        {"99999999999999999999999999", std::nullopt},
        {"1e-30", std::nullopt},
        {"nan", std::nullopt},
        {"inf", std::nullopt},
        {"abc", std::nullopt},
        {"-3", std::nullopt},
        {"+3", std::nullopt},
        {"1.2.3", std::nullopt},
        {"0.5x", std::nullopt},
        {"1,5", std::nullopt},
        {".", std::nullopt},
    };
    RemovalSetup setup;
    const ScopedFreeBytes space(store / 2, store);
    for (const auto& c : cases) {
        std::string refusal;
        EXPECT_EQ(SizeGoalBytes(setup.config, c.text, refusal), c.bytes) << c.text;
        EXPECT_EQ(refusal.empty(), c.bytes.has_value()) << c.text << ": " << refusal;
    }
    const ScopedFreeBytes unknown(std::nullopt);
    std::string refusal;
    EXPECT_FALSE(SizeGoalBytes(setup.config, "1", refusal));
    EXPECT_EQ(refusal, "Auto-Delete By Size: the free space of " + setup.config.m_strImagePath +
                           " cannot be read; the rule selects nothing");
}

TEST(SizeRule, OldestStudiesAreSelectedUntilTheRoomIsThere) {
    RemovalSetup setup;
    RemovalStudy study;
    study.files = {{"IMG1.dcm", std::string(300, 'a')}, {"IMG2.dcm", std::string(200, 'b')}};
    std::uint64_t bytes[5] = {};
    for (long id : {1, 2, 3, 4}) {
        study.examId = id;
        study.examDate = "2004-01-1" + std::to_string(id) + " 10:00:00";
        study.mediaType = id == 4 ? "TEMP" : "Image Server";
        bytes[id] = ListedStudyBytes(setup.Add(study));
    }
    EXPECT_EQ(bytes[1], 500u + fs::file_size(setup.FolderOf(1) / "cv.dir"));
    fs::remove(setup.FolderOf(2) / "cv.dir");  // counts nothing: one more study is needed
    setup.WriteTempStudies({{4, "2004-01-20 10:00:00"}});
    const std::uint64_t limit = 5369;  // 0.000005 GB

    const struct {
        const char* what;
        std::uint64_t free;
        const char* tempDays;  // nullptr: the temporary-study rule is off
        std::set<std::string> selected;
    } cases[] = {
        {"room enough", limit, nullptr, {}},
        {"one study short", limit - bytes[1], nullptr, {"1"}},
        {"an unreadable list counts 0", limit - bytes[1] - 1, nullptr, {"1", "2", "3"}},
        {"other rules count first", limit - bytes[1], "0", {"4"}},
        {"more than all", 0, nullptr, {"1", "2", "3"}},
    };
    for (const auto& c : cases) {
        ScopedFreeBytes free(c.free);
        DeletionSettings rules;
        rules.m_bBySize = true;
        rules.m_strNumbGBytes = "0.000005";
        rules.m_bTempDel = c.tempDays != nullptr;
        rules.m_strTempDays = c.tempDays ? c.tempDays : "";
        rules.m_strMaxDeletePercent = "100";
        EXPECT_TRUE(RunSelectionPass(WindowCandidates(), setup.config, rules).Clean()) << c.what;
        std::set<std::string> selected;
        for (const auto* list : {&g_ServerCandidates, &g_TempCandidates})
            for (const auto& record : *list)
                if (record.m_bSelected) selected.emplace(record.ExamId());
        EXPECT_EQ(selected, c.selected) << c.what;
    }
    EXPECT_TRUE(setup.Errors().empty());

    ScopedFreeBytes unknown(std::nullopt);
    EXPECT_FALSE(MarkBySize(WindowCandidates(), setup.config, 1));
    EXPECT_EQ(setup.Errors().size(), 1u);
}

}  // namespace

}  // namespace mirabel
