// The question Delete Now asks before it deletes what the operator highlighted.
#include "app/WindowRun.h"
#include "removal/DeleteNowQuestion.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fixtures/RemovalSetup.h"
#include "removal/CandidateSelection.h"

namespace mirabel {

namespace {

TEST(DeleteNowQuestion, GigabytesHaveOneDecimalRoundedHalfUp) {
    constexpr std::uint64_t kGB = std::uint64_t{1} << 30;
    const struct {
        std::uint64_t bytes;
        const char* gigabytes;
    } cases[] = {
        {0, "0.0"},
        {kGB / 20 - 1, "0.0"},
        {kGB / 20 + 1, "0.1"},
        {kGB * 100 - 1, "100.0"},
        {UINT64_MAX, "17179869184.0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DeleteNowQuestion(2, c.bytes),
                  std::string("Delete the local images of 2 studies (") + c.gigabytes + " GB)?")
            << c.bytes;
}

TEST(ConfirmDeleteNow, AsksAboutTheHighlightedStudiesStillListedAndTheirListedFiles) {
    RemovalSetup setup;
    RemovalStudy study;
    for (long id : {10, 11}) {
        study.examId = id;
        setup.Add(study);
    }
    // 1.5 GB listed for exam 10, without writing them.
    std::filesystem::resize_file(setup.FolderOf(10) / "IMG1.dcm", (std::uint64_t{3} << 30) / 2);
    RunSelectionPass(WindowCandidates(), setup.config, {});
    const std::vector<CandidateKey> highlighted = {
        {false, "10"}, {false, "10"}, {false, "99"}, {true, "11"}};

    setup.op->answers = {Answer::Yes};
    EXPECT_TRUE(ConfirmDeleteNow(setup.config, WindowCandidates(), highlighted));
    EXPECT_EQ(setup.op->MessageTexts(),
              std::vector<std::string>{"Delete the local images of 1 studies (1.5 GB)?"});
}

}  // namespace

}  // namespace mirabel
