// The transfer of one study to a real FTP server on 127.0.0.1.
#include <gtest/gtest.h>

#include "archive/RunState.h"
#include "archive/StudyTransfer.h"
#include "fixtures/FtpServer.h"
#include "fixtures/TransferSetup.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPath = "\\2004\\0117\\ST01";

class FtpStudyUpload : public ::testing::Test {
  protected:
    FtpStudyUpload() {
        fs::create_directories(served.path() / "data");
        local = setup.MakeStudy(kPath, {{"im1", std::string(70000, 'x')}, {"im2", "2"}});
    }
    ArchiveDestination Destination(const std::string& address, const std::string& password) const {
        ArchiveDestination destination(DestinationKind::Ftp);
        destination.m_strIpAddress = address;
        destination.m_strRootPath = "/data";
        destination.m_strUserName = "archiver";
        destination.m_strPassword = password;
        destination.BuildId();
        return destination;
    }
    TransferOutcome Archive(ArchiveDestination destination) {
        MediaBudget budget;
        return ArchiveStudy(setup.config, destination, study, budget);
    }
    std::string ConnectionFailure(const std::string& address) const {
        return "Failure archiving study for Ann Smith on 01/17/2004 - FTP connection could not "
               "be created for FTP:" +
               address;
    }

    TransferSetup setup;
    TempDir served;
    fs::path local;
    StudyRecord study = TransferSetup::Study(kPath);
    fs::path copy = served.path() / "data/images/2004/0117/ST01";
};

TEST_F(FtpStudyUpload, TheStudyLandsUnderImagesWithItsManifest) {
    FtpServer server(served.path());
    ASSERT_EQ(Archive(Destination(server.Address(), server.Password())), TransferOutcome::Archived);
    const std::string manifest = CrLfLines({"42", "2", "/data/images/2004/0117/ST01/im1", "70000",
                                            "/data/images/2004/0117/ST01/im2", "1"});
    EXPECT_EQ(ReadFileBytes(copy / "exam.ver"), manifest);
    EXPECT_EQ(ReadFileBytes(local / "exam.ver"), manifest);
    EXPECT_EQ(ReadFileBytes(copy / "im1"), std::string(70000, 'x'));
    EXPECT_EQ(ReadFileBytes(copy / "im2"), "2");
    EXPECT_TRUE(setup.Errors().empty());
}

TEST_F(FtpStudyUpload, ServersThatRefuseTheConnectionOrLackTheRootFailTheStudy) {
    FtpServer server(served.path());
    EXPECT_EQ(Archive(Destination(server.Address(), "wrong")), TransferOutcome::Failed);
    const std::string refused = "127.0.0.1:" + std::to_string(UnusedLocalPort());
    EXPECT_EQ(Archive(Destination(refused, server.Password())), TransferOutcome::Failed);
    const auto errors = setup.Errors();
    EXPECT_TRUE(Contains(errors, ConnectionFailure(server.Address()))) << errors.size();
    EXPECT_TRUE(Contains(errors, ConnectionFailure(refused)));
    ArchiveDestination noRoot = Destination(server.Address(), server.Password());
    noRoot.m_strRootPath = "/nowhere";
    EXPECT_EQ(Archive(noRoot), TransferOutcome::Failed);
    EXPECT_EQ(std::distance(fs::directory_iterator(served.path()), fs::directory_iterator()), 1);
}

TEST_F(FtpStudyUpload, AServerThatDiesMidStudyFailsItAndTheNextAttemptArchivesIt) {
    {
        FtpServer server(served.path());
        setup.op->onPump = [&](int pump) {
            if (pump == 1) server.Stop();
        };
        EXPECT_EQ(Archive(Destination(server.Address(), server.Password())),
                  TransferOutcome::Failed);
    }
    EXPECT_TRUE(Contains(setup.Errors(),
                         "Failure archiving study for Ann Smith on 01/17/2004 - "
                         "error transmitting file(" +
                             (local / "im2").string() + ")"));
    EXPECT_FALSE(fs::exists(copy / "exam.ver"));

    setup.op->onPump = nullptr;
    FtpServer restarted(served.path());
    ASSERT_EQ(Archive(Destination(restarted.Address(), restarted.Password())),
              TransferOutcome::Archived);
    EXPECT_EQ(ReadFileBytes(copy / "im2"), "2");
    EXPECT_TRUE(fs::exists(copy / "exam.ver"));
}

TEST_F(FtpStudyUpload, CancelEndsTheUploadAfterTheCurrentFile) {
    FtpServer server(served.path());
    setup.op->onPump = [](int) { RequestStop(); };
    EXPECT_EQ(Archive(Destination(server.Address(), server.Password())), TransferOutcome::Failed);
    EXPECT_TRUE(fs::exists(copy / "im1"));
    EXPECT_FALSE(fs::exists(copy / "im2"));
    EXPECT_EQ(setup.Activity(), std::vector<std::string>{"Archive stopped by user"});
}

}  // namespace

}  // namespace mirabel
