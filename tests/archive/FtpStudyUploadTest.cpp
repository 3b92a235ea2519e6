// The transfer of one study to a real FTP server on 127.0.0.1.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/WindowRun.h"
#include "archive/ArchivePreview.h"
#include "archive/FtpFileNames.h"
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
        return ArchiveStudy(WindowRunControl(), setup.config, destination, study, budget);
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
    // One error-log line each; the client's reason is in the debug log.
    EXPECT_EQ(setup.Errors(), (std::vector<std::string>{ConnectionFailure(server.Address()),
                                                        ConnectionFailure(refused)}));
    const std::vector<std::string> debug = setup.Debug();
    for (const char* reason : {"Login denied", "Couldn't connect to server"})
        EXPECT_TRUE(std::any_of(debug.begin(), debug.end(), [&](const std::string& line) {
            return line.find(reason) != std::string::npos;
        })) << reason;
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

// A server without SIZE (5xx) is judged by what libcurl sent, with one debug line a study; a
// server whose SIZE tells another size fails the attempt.
TEST_F(FtpStudyUpload, SizeAnswersDecideTheUpload) {
    const std::string imageFailed =
        "Failure archiving study for Ann Smith on 01/17/2004 - "
        "error transmitting file(" +
        (local / "im1").string() + ")";
    {
        FtpServer oneByteMore(served.path(), FtpSizeAnswer::OneByteMore);
        EXPECT_EQ(Archive(Destination(oneByteMore.Address(), oneByteMore.Password())),
                  TransferOutcome::Failed);
        EXPECT_TRUE(Contains(setup.Errors(), imageFailed));
    }
    FtpServer withoutSize(served.path(), FtpSizeAnswer::Unknown);
    ASSERT_EQ(Archive(Destination(withoutSize.Address(), withoutSize.Password())),
              TransferOutcome::Archived);
    EXPECT_EQ(ReadFileBytes(copy / "im1"), std::string(70000, 'x'));
    EXPECT_EQ(ReadFileBytes(copy / "exam.ver"), ReadFileBytes(local / "exam.ver"));
    const auto debug = setup.Debug();
    EXPECT_EQ(std::count(debug.begin(), debug.end(),
                         "FTP server FTP:" + withoutSize.Address() +
                             " does not answer SIZE: the study's files were judged by the bytes "
                             "sent"),
              1);
}

TEST_F(FtpStudyUpload, AStudyFolderThatCannotBeMadeFailsTheStudyInTheErrorLog) {
    FtpServer server(served.path());
    WriteFileBytes(served.path() / "data/images", "a file where the folder should be");
    EXPECT_EQ(Archive(Destination(server.Address(), server.Password())), TransferOutcome::Failed);
    EXPECT_TRUE(Contains(setup.Errors(),
                         "Failure archiving study for Ann Smith on 01/17/2004 - "
                         "error transmitting file(" +
                             (local / "im1").string() + ")"));
}

TEST(FtpFileNames, OnlyValidUtf8WithoutSeparatorsOrControlCharactersIsPortable) {
    for (const char* good : {"IM0001.dcm", "scan #2 100%.dcm", "M\xc3\xbcller", "\xe2\x82\xac",
                             "\xf0\x9f\x98\x80", "\xef\xbf\xbf"})
        EXPECT_TRUE(IsPortableFtpName(good)) << good;
    for (const char* bad : {"a/b", "a\\b", "a\nb", "a\rb", "a\tb", "a\x7f", "M\xfcller",
                            "\xc0\xaf",           // overlong "/"
                            "\xed\xa0\x80",       // surrogate
                            "\xf4\x90\x80\x80",   // above U+10FFFF
                            "\xe2\x82", "\x80"})  // cut off, stray continuation byte
        EXPECT_FALSE(IsPortableFtpName(bad)) << VisibleName(bad);
}

TEST_F(FtpStudyUpload, CancelEndsTheUploadAfterTheCurrentFile) {
    FtpServer server(served.path());
    setup.op->onPump = [](int) { RequestStop(); };
    EXPECT_EQ(Archive(Destination(server.Address(), server.Password())), TransferOutcome::Failed);
    EXPECT_TRUE(fs::exists(copy / "im1"));
    EXPECT_FALSE(fs::exists(copy / "im2"));
    EXPECT_EQ(setup.Activity(), std::vector<std::string>{"Archive stopped by user"});
}

TEST_F(FtpStudyUpload, ADryRunFindsTheServerDownAsTheRunWould) {
    StudyList studies;
    studies.push_back(std::make_unique<StudyRecord>(study));
    ArchiveDestination destination = Destination("127.0.0.1:1", "x");
    const ArchivePreview preview =
        PreviewArchiveRun(RunContext{studies, &destination, WindowRunControl()}, setup.config);
    EXPECT_FALSE(preview.AllWouldGo());
    EXPECT_EQ(
        preview.studies.at(0).why.find("FTP connection could not be created for FTP:127.0.0.1:1"),
        0u)
        << preview.studies.at(0).why;
}

}  // namespace

}  // namespace mirabel
