// The label of a removable medium, with a real label database and label file.
#include "archive/MediaLabel.h"

#include <gtest/gtest.h>

#include "app/ProcessState.h"
#include "db/DatabaseLayer.h"
#include "db/LabelDatabase.h"
#include "fixtures/ImageDatabaseMaker.h"
#include "fixtures/TransferSetup.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

class MediaLabel : public ::testing::Test {
  protected:
    MediaLabel() {
        ResetProcessState();
        fs::create_directory(medium);
        RunSqlite(setup.Work() / kLabelDatabaseFile, {"CREATE TABLE Labels (Label TEXT)"});
    }
    ~MediaLabel() override { ResetProcessState(); }

    void Register(const std::vector<std::string>& labels) {
        for (const std::string& label : labels) ASSERT_EQ(AddLabel(label), 1) << label;
    }
    std::string LabelFile() const { return ReadFileBytes(medium / kMediaLabelFile); }

    TransferSetup setup;
    fs::path medium = setup.Work() / "medium";
    ArchiveDestination destination = TransferSetup::MediumDestination(medium, "DVD");
};

TEST_F(MediaLabel, ALabelledMediumAnswersFromItsLabelFileWithoutAsking) {
    WriteFileBytes(medium / kMediaLabelFile, "MO0042");
    EXPECT_EQ(GetMediaLabel(destination), "MO0042");
    EXPECT_TRUE(setup.op->proposedLabels.empty());
    EXPECT_FALSE(LabelExists("MO0042"));
    WriteFileBytes(medium / kMediaLabelFile, "");
    EXPECT_EQ(GetMediaLabel(destination), "");
    EXPECT_EQ(setup.Errors(),
              std::vector<std::string>{"The label file " + (medium / kMediaLabelFile).string() +
                                       " on the medium is empty"});
}

TEST_F(MediaLabel, ABlankMediumGetsTheFirstUnusedLabelOfTheSeries) {
    destination.m_strLabel = "ARCH";
    Register({"ARCH", "ARCH1"});
    EXPECT_EQ(GetMediaLabel(destination), "ARCH2");
    EXPECT_EQ(setup.op->proposedLabels, std::vector<std::string>{"ARCH2"});
    EXPECT_TRUE(LabelExists("ARCH2"));
    EXPECT_EQ(LabelFile(), "ARCH2");
    // The medium is labelled now: later studies ask nothing.
    EXPECT_EQ(GetMediaLabel(destination), "ARCH2");
    EXPECT_EQ(setup.op->proposedLabels.size(), 1u);
}

// Without a label base the media type is proposed first.
TEST_F(MediaLabel, AnEnteredLabelInUseBecomesTheNewBase) {
    Register({"X", "X1"});
    setup.op->labels = {std::string("X"), std::string("Y's")};
    EXPECT_EQ(GetMediaLabel(destination), "Y's");
    EXPECT_EQ(setup.op->proposedLabels, (std::vector<std::string>{"DVD", "X2"}));
    EXPECT_EQ(destination.m_strLabel, "X");
    EXPECT_TRUE(LabelExists("Y's"));
}

TEST_F(MediaLabel, CancelOrAnEmptyLabelLeavesTheMediumBlank) {
    setup.op->labels = {std::nullopt, std::string("")};
    EXPECT_EQ(GetMediaLabel(destination), "");
    EXPECT_EQ(GetMediaLabel(destination), "");
    EXPECT_FALSE(fs::exists(medium / kMediaLabelFile));
    EXPECT_FALSE(LabelExists("DVD"));
    EXPECT_FALSE(LabelExists(""));
}

TEST_F(MediaLabel, AMediumThatCannotBeWrittenIsReportedAndTheLabelStaysUsed) {
    WriteFileBytes(setup.Work() / "notadrive", "");
    ArchiveDestination unwritable = TransferSetup::MediumDestination(setup.Work() / "notadrive");
    EXPECT_EQ(GetMediaLabel(unwritable), "");
    EXPECT_EQ(
        setup.op->MessageTexts(),
        std::vector<std::string>{
            "Could not write file to media\n\nPlease check and make sure drive is write-able!!!"});
    EXPECT_TRUE(LabelExists("DVD"));
}

}  // namespace

}  // namespace mirabel
