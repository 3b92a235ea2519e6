// Auto-Delete By Size: the oldest archived studies are selected until the free space of the
// image store plus the room the selected studies take up reaches the limit.
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

TEST(SizeRule, TheLimitIsTheLeadingDecimalNumberInGigabytes) {
    const struct {
        const char* text;
        std::optional<std::uint64_t> bytes;
    } cases[] = {
        {"10", 10 * kBytesPerGigabyte},
        {" 1.5 GB", 3 * kBytesPerGigabyte / 2},
        {"0.5x", kBytesPerGigabyte / 2},
        {"0", std::nullopt},
        {"", std::nullopt},
        {"GB", std::nullopt},
        {"-3", std::nullopt},
        {"4700", 4700 * kBytesPerGigabyte},
    };
    for (const auto& c : cases) EXPECT_EQ(SizeLimitBytes(c.text), c.bytes) << c.text;
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
    const std::uint64_t limit = *SizeLimitBytes("0.000005");  // 5,369 bytes

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
        RunSelectionPass(setup.config, rules);
        std::set<std::string> selected;
        for (const auto* list : {&g_ServerCandidates, &g_TempCandidates})
            for (const auto& record : *list)
                if (record->m_bSelected) selected.emplace(record->ExamId());
        EXPECT_EQ(selected, c.selected) << c.what;
    }
    EXPECT_TRUE(setup.Errors().empty());

    ScopedFreeBytes unknown(std::nullopt);
    MarkBySize(setup.config, "1");
    EXPECT_EQ(setup.Errors().size(), 1u);
}

}  // namespace

}  // namespace mirabel
