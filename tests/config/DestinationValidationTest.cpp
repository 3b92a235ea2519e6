#include "config/DestinationValidation.h"

#include <gtest/gtest.h>

#include "app/ProcessState.h"
#include "config/ArchiveDestination.h"

namespace mirabel {

namespace {

ArchiveDestination Ftp(const std::string& ip) {
    ArchiveDestination d(DestinationKind::Ftp);
    d.m_strIpAddress = ip;
    d.m_strRootPath = "/archive";
    d.m_strUserName = "user";
    d.m_strPassword = "pw";
    return d;
}

ArchiveDestination Server(const std::string& ip) {
    ArchiveDestination d = Ftp(ip);
    d.SetKind(DestinationKind::Server);
    d.m_strPort = "5000";
    return d;
}

ArchiveDestination Folder(const std::string& label) {
    ArchiveDestination d(DestinationKind::Nfs);
    d.m_strRootPath = "/archive/" + label;
    d.m_strLabel = label;
    return d;
}

ArchiveDestination Medium(const std::string& mediaType) {
    ArchiveDestination d(DestinationKind::Removable);
    d.m_strMediaType = mediaType;
    d.m_strRootPath = "/media/cd";
    d.m_strMediaSize = "590";
    return d;
}

class Destinations : public ::testing::Test {
  protected:
    void SetUp() override { ResetProcessState(); }
    void TearDown() override { ResetProcessState(); }
};

TEST_F(Destinations, SameAddressIsRefusedOnlyWithinOneType) {
    EXPECT_EQ(AddNewArchive(Ftp("10.0.0.5")), "");
    EXPECT_EQ(AddNewArchive(Ftp("10.0.0.5")), kDuplicateAddressMessage);
    EXPECT_EQ(AddNewArchive(Ftp("10.0.0.6")), "");
    // An image server at the FTP server's address gets another id.
    EXPECT_EQ(AddNewArchive(Server("10.0.0.5")), "");
    EXPECT_EQ(AddNewArchive(Server("10.0.0.5")), kDuplicateAddressMessage);
    // Missing fields are reported before a duplicate.
    ArchiveDestination blankUser = Ftp("10.0.0.5");
    blankUser.m_strUserName.clear();
    EXPECT_EQ(AddNewArchive(blankUser), "FTP:Username cannot be blank");
    ASSERT_EQ(g_Archives.size(), 3u);
    EXPECT_EQ(g_Archives[2]->m_strId, "CORVA:10.0.0.5");
}

// A second folder of one label could never be chosen: the first of the id is always found.
TEST_F(Destinations, AFolderWithTheLabelOfAnotherIsRefusedWhenAddedOrEdited) {
    EXPECT_EQ(AddNewArchive(Folder("lab")), "");
    EXPECT_EQ(AddNewArchive(Folder("lab")), kDuplicateLabelMessage);
    EXPECT_EQ(AddNewArchive(Folder("lab2")), "");
    EXPECT_EQ(DuplicateAddressMessage(Folder("lab"), g_Archives[1].get()), kDuplicateLabelMessage);
    EXPECT_EQ(DuplicateAddressMessage(Folder("lab"), g_Archives[0].get()), "");
    EXPECT_EQ(g_Archives.size(), 2u);
}

TEST_F(Destinations, RemovableMediaOfOneTypeShareTheIdAndTheFirstIsFound) {
    EXPECT_EQ(AddNewArchive(Medium("CD")), "");
    EXPECT_EQ(AddNewArchive(Medium("CD")), "");
    ASSERT_EQ(g_Archives.size(), 2u);
    EXPECT_EQ(g_Archives[1]->m_strId, "REM:CD");
    EXPECT_EQ(FindArchive("REM:CD"), g_Archives[0].get());
    // Ids are compared exactly.
    EXPECT_EQ(FindArchive("rem:cd"), nullptr);
    EXPECT_EQ(FindArchive("REM:CD\r\n"), nullptr);
}

}  // namespace

}  // namespace mirabel

namespace mirabel {

// One more level on a 216-character root would be cut by the database: such a root is refused,
// and the message names the longest root that fits.
TEST(ArchiveValueLength, ARootThatLeavesNoRoomForTheStudyFolderIsRefused) {
    const struct {
        ArchiveDestination destination;
        std::size_t root;
        bool refused;
    } cases[] = {
        {Ftp("10.0.0.1"), 150, false},
        {Ftp("10.0.0.1"), 216, true},
        {Medium("DVD"), 190, false},
        {Medium("DVD"), 216, true},
    };
    for (auto c : cases) {
        c.destination.m_strRootPath = "/" + std::string(c.root - 1, 'r');
        const std::string message = ArchiveValueLengthMessage(c.destination);
        EXPECT_EQ(!message.empty(), c.refused) << message;
        EXPECT_EQ(ValidateNewArchive(c.destination), message);
        if (!c.refused) continue;
        // The longest root the message offers passes.
        const std::size_t at = message.find("at most ") + 8;
        c.destination.m_strRootPath.resize(std::stoul(message.substr(at)));
        EXPECT_EQ(ArchiveValueLengthMessage(c.destination), "");
    }
}

}  // namespace mirabel
