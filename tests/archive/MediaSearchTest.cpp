// Finding a labelled medium among the removable destinations' roots, asking for it until it
// is there or the operator gives up.
#include "archive/MediaSearch.h"

#include <gtest/gtest.h>

#include "config/ArchiveDestination.h"
#include "fixtures/RemovalSetup.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

void AddMediumRoot(const fs::path& root, const std::string& labelFile) {
    ArchiveDestination medium(DestinationKind::Removable);
    medium.m_strRootPath = root.string();
    g_Archives.push_back(std::make_unique<ArchiveDestination>(medium));
    fs::create_directories(root);
    if (!labelFile.empty()) WriteFileBytes(root / "cvlabel.txt", labelFile);
}

TEST(MediaSearch, TheFirstRootWithTheLabelInListOrderOrNoneWhenTheOperatorCancels) {
    RemovalSetup setup;
    AddMediumRoot(setup.Work() / "mo", "");
    AddMediumRoot(setup.Work() / "cd", "CARD0007\r\nsecond line");
    AddMediumRoot(setup.Work() / "dvd", "CARD0007");
    ArchiveDestination folder(DestinationKind::Nfs);
    folder.m_strRootPath = (setup.Work() / "dvd").string();
    g_Archives.insert(g_Archives.begin(), std::make_unique<ArchiveDestination>(folder));

    EXPECT_EQ(LogicalDriveRoots().front(), (setup.Work() / "mo").string());
    EXPECT_EQ(FindMediaByLabel("CARD0007"), (setup.Work() / "cd").string());
    // An empty label matches a root whose label file is missing or empty.
    EXPECT_EQ(FindMediaByLabel(""), (setup.Work() / "mo").string());
    EXPECT_TRUE(setup.op->mediumPrompts.empty());

    setup.op->mediumAnswers = {true, false};  // OK once, then Cancel
    EXPECT_EQ(FindMediaByLabel("card0007"), "");
    EXPECT_EQ(setup.op->mediumPrompts,
              std::vector<std::string>(
                  2, "Please enter media labeled card0007.\n\nClick OK when this is done."));
}

}  // namespace

}  // namespace mirabel
