#include "config/DestinationValidation.h"

#include <gtest/gtest.h>

#include "config/ArchiveDestination.h"

namespace {

ArchiveDestination Ftp(const std::string& ip) {
    ArchiveDestination d;
    d.m_strType = kFtpType;
    d.m_strIpAddress = ip;
    d.m_strRootPath = "/archive";
    d.m_strUserName = "user";
    d.m_strPassword = "pw";
    return d;
}

ArchiveDestination Server(const std::string& ip) {
    ArchiveDestination d = Ftp(ip);
    d.m_strType = kServerType;
    d.m_strPort = "5000";
    return d;
}

ArchiveDestination Medium(const std::string& mediaType) {
    ArchiveDestination d;
    d.m_strType = kRemovableType;
    d.m_strMediaType = mediaType;
    d.m_strRootPath = "/media/cd";
    d.m_strMediaSize = "590";
    return d;
}

void Add(ArchiveDestination d) {
    d.BuildId();
    g_Archives.push_back(std::make_unique<ArchiveDestination>(d));
}

class Destinations : public ::testing::Test {
  protected:
    void SetUp() override { ResetArchives(); }
    void TearDown() override { ResetArchives(); }
};

TEST(MissingFieldMessage, FirstEmptyFieldInCheckingOrder) {
    ArchiveDestination ftp;
    ftp.m_strType = kFtpType;
    EXPECT_EQ(MissingFieldMessage(ftp), "FTP:IP cannot be blank");
    ftp.m_strPassword = "pw";
    ftp.m_strIpAddress = "1.2.3.4";
    EXPECT_EQ(MissingFieldMessage(ftp), "FTP:Root Path cannot be blank");
    ftp.m_strRootPath = "/";
    EXPECT_EQ(MissingFieldMessage(ftp), "FTP:Username cannot be blank");

    // The server's port comes last although it sits second in the form.
    ArchiveDestination server = Server("1.2.3.4");
    server.m_strPort.clear();
    server.m_strPassword.clear();
    EXPECT_EQ(MissingFieldMessage(server), "Corvana Server:FTP Password cannot be blank");
    server.m_strPassword = "pw";
    EXPECT_EQ(MissingFieldMessage(server), "Corvana Server:Port # cannot be blank");

    ArchiveDestination nfs;
    nfs.m_strType = kNfsType;
    nfs.m_strRootPath = "//server/share";
    EXPECT_EQ(MissingFieldMessage(nfs), "NFS: Archive Label cannot be blank");

    // The media label may stay empty; the size may not.
    ArchiveDestination medium = Medium("CD");
    EXPECT_EQ(MissingFieldMessage(medium), "");
    medium.m_strMediaSize.clear();
    medium.m_strMediaType.clear();
    EXPECT_EQ(MissingFieldMessage(medium), "Removable Media: Media Type cannot be blank");
}

TEST_F(Destinations, SameAddressIsRefusedOnlyWithinOneType) {
    Add(Ftp("10.0.0.5"));
    EXPECT_EQ(ValidateNewArchive(Ftp("10.0.0.5")), kDuplicateAddressMessage);
    EXPECT_EQ(ValidateNewArchive(Ftp("10.0.0.6")), "");
    // An image server at the FTP server's address gets another id.
    EXPECT_EQ(ValidateNewArchive(Server("10.0.0.5")), "");
    Add(Server("10.0.0.5"));
    EXPECT_EQ(ValidateNewArchive(Server("10.0.0.5")), kDuplicateAddressMessage);
    // Missing fields are reported before a duplicate.
    ArchiveDestination blankUser = Ftp("10.0.0.5");
    blankUser.m_strUserName.clear();
    EXPECT_EQ(ValidateNewArchive(blankUser), "FTP:Username cannot be blank");
}

TEST_F(Destinations, RemovableMediaOfOneTypeShareTheIdAndTheFirstIsFound) {
    Add(Medium("CD"));
    EXPECT_EQ(ValidateNewArchive(Medium("CD")), "");
    Add(Medium("CD"));
    ASSERT_EQ(g_Archives.size(), 2u);
    EXPECT_EQ(g_Archives[1]->m_strId, "REM:CD");
    EXPECT_EQ(FindArchive("REM:CD"), g_Archives[0].get());
    // Ids are compared exactly.
    EXPECT_EQ(FindArchive("rem:cd"), nullptr);
    EXPECT_EQ(FindArchive("REM:CD\r\n"), nullptr);
}

TEST(ArchiveDestination, IdFollowsTheTypesKeyField) {
    ArchiveDestination d = Server("10.1.1.1");
    d.m_strLabel = "ignored";
    d.BuildId();
    EXPECT_EQ(d.m_strId, "CORVA:10.1.1.1");
    d.m_strType = kNfsType;
    d.BuildId();
    EXPECT_EQ(d.m_strId, "NFS:ignored");
    d.m_strType = "ZIP";
    d.m_strMediaType = "ZIP100";
    d.BuildId();
    EXPECT_EQ(d.m_strId, "REM:ZIP100");
}

}  // namespace
