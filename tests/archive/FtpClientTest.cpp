#include "archive/FtpClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "fixtures/FtpServer.h"
#include "fixtures/RemoteEntryPrint.h"
#include "fixtures/RandomBytes.h"
#include "fixtures/TempDir.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

// Short timeouts: a failure the client waits out must not slow the suite down.
FtpOptions QuickOptions() {
    FtpOptions options;
    options.connectTimeout = std::chrono::milliseconds(3000);
    options.responseTimeout = std::chrono::milliseconds(2000);
    options.stallTimeout = std::chrono::seconds(2);
    return options;
}

// How many sessions logged in on the server.
std::size_t Logins(const std::string& log) {
    std::size_t logins = 0;
    for (std::size_t at = log.find("logged in"); at != std::string::npos;
         at = log.find("logged in", at + 1))
        ++logins;
    return logins;
}

class FtpClientTest : public ::testing::Test {
  protected:
    FtpClientTest() { fs::create_directories(serverRoot_ / "data"); }
    FtpClient Client(FtpOptions options = QuickOptions()) {
        return FtpClient(server_.Address(), server_.User(), server_.Password(), options);
    }
    fs::path Local(const std::string& name, const std::string& bytes) {
        WriteFileBytes(local_ / name, bytes);
        return local_ / name;
    }

    TempDir local_;
    TempDir served_;
    fs::path serverRoot_ = served_.path();
    FtpServer server_{serverRoot_};
};

TEST(FtpAddress, PortComesFromTheAddressOrIs21) {
    EXPECT_EQ(ParseFtpAddress("10.0.0.5")->port, 21);
    EXPECT_EQ(ParseFtpAddress("10.0.0.5")->host, "10.0.0.5");
    EXPECT_EQ(ParseFtpAddress("archive.example:2121")->port, 2121);
    EXPECT_EQ(ParseFtpAddress("archive.example:2121")->host, "archive.example");
    EXPECT_EQ(ParseFtpAddress("[::1]:2100")->host, "::1");
    EXPECT_EQ(ParseFtpAddress("fe80::1")->port, 21);
    EXPECT_EQ(FtpBaseUrl(*ParseFtpAddress("[::1]:2100")), "ftp://[::1]:2100");
    EXPECT_EQ(FtpBaseUrl(*ParseFtpAddress("10.0.0.5")), "ftp://10.0.0.5:21");
    for (const char* bad : {"", "host:", "host:0", "host:65536", "host:21x", ":21", "[::1"})
        EXPECT_FALSE(ParseFtpAddress(bad)) << bad;
}

TEST_F(FtpClientTest, StudyLandsByteExactUnderItsFolder) {
    FtpClient client = Client();
    ASSERT_TRUE(client.Connect()) << client.LastError();
    EXPECT_FALSE(client.DirectoryExists("/data/images/2004/0117/ST01/"));
    ASSERT_TRUE(client.CreateDirectories("/data/images/2004/0117/ST01/")) << client.LastError();
    EXPECT_TRUE(client.DirectoryExists("/data/images/2004/0117/ST01"));

    const std::vector<std::pair<std::string, std::string>> files = {
        {"IM0001.dcm", RandomBytes(2 * 1024 * 1024 + 3, 7)},
        {"empty.dat", ""},
        {"scan #2 100%.dcm", RandomBytes(70000, 8)},
        {"exam.ver", "1234\r\n0\r\n"}};
    for (const auto& [name, bytes] : files) {
        ASSERT_TRUE(client.Upload(Local(name, bytes), "/data/images/2004/0117/ST01/" + name))
            << client.LastError();
        EXPECT_EQ(client.RemoteSize("/data/images/2004/0117/ST01/" + name), bytes.size());
    }
    const fs::path landed = serverRoot_ / "data/images/2004/0117/ST01";
    for (const auto& [name, bytes] : files)
        EXPECT_TRUE(ReadFileBytes(landed / name) == bytes) << name;

    // A second attempt replaces a longer leftover of the first.
    WriteFileBytes(landed / "exam.ver", std::string(100, 'x'));
    ASSERT_TRUE(client.Upload(local_ / "exam.ver", "/data/images/2004/0117/ST01/exam.ver"));
    EXPECT_EQ(ReadFileBytes(landed / "exam.ver"), "1234\r\n0\r\n");
}

TEST_F(FtpClientTest, OneLoginServesAWholeStudy) {
    FtpClient client = Client();
    ASSERT_TRUE(client.Connect()) << client.LastError();
    ASSERT_TRUE(client.CreateDirectories("/data/images/ST03/")) << client.LastError();
    for (const char* name : {"a.dcm", "b.dcm", "c.dcm"})
        ASSERT_TRUE(client.Upload(Local(name, name), std::string("/data/images/ST03/") + name));
    EXPECT_EQ(Logins(server_.LogText()), 1u) << server_.LogText();
}

TEST_F(FtpClientTest, RelativePathsStartAtTheLoginFolderAndBackslashesSeparate) {
    FtpClient client = Client();
    ASSERT_TRUE(client.CreateDirectories("images\\2004\\ST02")) << client.LastError();
    ASSERT_TRUE(client.Upload(Local("a.dcm", "abc"), "images/2004/ST02/a.dcm"));
    EXPECT_EQ(ReadFileBytes(serverRoot_ / "images/2004/ST02/a.dcm"), "abc");
}

TEST(FtpClientListing, EntriesAreTheSameWhicheverListingTheServerOffers) {
    const std::vector<RemoteEntry> expected = {{"IM 0001.dcm", 3, false},
                                               {"semi;colon=1.dcm", 0, false},
                                               {"sub", 0, true},
                                               {"\xc3\xbcn\xc3\xaf.dcm", 5, false}};
    for (const FtpListingOffer offer :
         {FtpListingOffer::Mlsd, FtpListingOffer::List, FtpListingOffer::NameList}) {
        SCOPED_TRACE(static_cast<int>(offer));
        TempDir served;
        const fs::path study = served.path() / "data/images/ST01";
        fs::create_directories(study / "sub");
        WriteFileBytes(study / "IM 0001.dcm", "abc");
        WriteFileBytes(study / "semi;colon=1.dcm", "");
        WriteFileBytes(study / "\xc3\xbcn\xc3\xaf.dcm", "12345");
        WriteFileBytes(study / "tab\t.dcm", "x");  // no upload of ours has such a name
        FtpServer server(served.path(), offer);
        FtpClient client(server.Address(), server.User(), server.Password(), QuickOptions());
        for (int listing = 0; listing < 2; ++listing) {
            std::optional<std::vector<RemoteEntry>> entries =
                client.ListFolder("/data/images/ST01/");
            ASSERT_TRUE(entries) << client.LastError();
            std::ranges::sort(*entries, {}, &RemoteEntry::name);
            EXPECT_EQ(*entries, expected);
        }
        EXPECT_FALSE(client.ListFolder("/data/images/ST02"));
        EXPECT_NE(client.LastError().find("ST02"), std::string::npos) << client.LastError();
        EXPECT_EQ(Logins(server.LogText()), 1u) << server.LogText();
    }
}

TEST_F(FtpClientTest, ANameHoldingALineBreakFailsTheListingRatherThanListAPartOfIt) {
    fs::create_directories(serverRoot_ / "data/ST01");
    WriteFileBytes(serverRoot_ / "data/ST01/IM2.dcm\r\nleft.dcm", "abc");
    FtpClient client = Client();
    EXPECT_FALSE(client.ListFolder("/data/ST01"));
    EXPECT_NE(client.LastError().find("\"left.dcm\""), std::string::npos) << client.LastError();
}

TEST_F(FtpClientTest, FailuresSayWhat) {
    FtpClient client = Client();
    EXPECT_FALSE(client.Upload(local_ / "missing.dcm", "/data/missing.dcm"));
    EXPECT_NE(client.LastError().find("cannot open"), std::string::npos);
    EXPECT_FALSE(client.Upload(Local("a.dcm", "abc"), "/data/no/such/folder/a.dcm"));
    EXPECT_FALSE(client.LastError().empty());
    EXPECT_FALSE(client.RemoteSize("/data/none.dcm"));
    ASSERT_TRUE(client.Upload(local_ / "a.dcm", "/data/a.dcm")) << client.LastError();
    EXPECT_TRUE(client.LastError().empty());

    FtpClient invalid("127.0.0.1:99999", "u", "p");
    EXPECT_FALSE(invalid.Connect());
    EXPECT_NE(invalid.LastError().find("invalid FTP address"), std::string::npos);
}

TEST_F(FtpClientTest, WrongPasswordIsRefusedAndNotLogged) {
    FtpOptions patient = QuickOptions();
    // The server delays its refusal by 3 s; the login counts as part of connecting.
    patient.connectTimeout = std::chrono::seconds(10);
    patient.responseTimeout = std::chrono::seconds(10);
    FtpClient client(server_.Address(), server_.User(), "wrong-secret", patient);
    EXPECT_FALSE(client.Connect());
    EXPECT_NE(client.LastError().find("Login denied"), std::string::npos) << client.LastError();
    EXPECT_EQ(client.LastError().find("wrong-secret"), std::string::npos);
}

TEST(FtpClientPeer, ClosedPortIsRefused) {
    FtpClient client("127.0.0.1:" + std::to_string(UnusedLocalPort()), "u", "p", QuickOptions());
    EXPECT_FALSE(client.Connect());
    EXPECT_NE(client.LastError().find("connect"), std::string::npos) << client.LastError();
}

TEST_F(FtpClientTest, ServerThatDiedBetweenFilesFailsTheNextUpload) {
    FtpClient client = Client();
    ASSERT_TRUE(client.Upload(Local("a.dcm", "abc"), "/data/a.dcm")) << client.LastError();
    server_.Stop();
    EXPECT_FALSE(client.Upload(local_ / "a.dcm", "/data/b.dcm"));
    EXPECT_FALSE(client.LastError().empty());
}

TEST_F(FtpClientTest, ServerThatDiesDuringAnUploadFailsIt) {
    FtpOptions slow = QuickOptions();
    slow.maxSendBytesPerSecond = 1024 * 1024;  // about 8 s for the file: time to kill it
    FtpClient client = Client(slow);
    const fs::path file = Local("cine.dcm", RandomBytes(8 * 1024 * 1024, 9));
    ASSERT_TRUE(client.Connect()) << client.LastError();
    std::atomic<bool> done = false;
    std::thread killer([&] {
        std::error_code ec;
        while (!done && fs::file_size(serverRoot_ / "data/cine.dcm", ec) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        server_.Stop();
    });
    const bool uploaded = client.Upload(file, "/data/cine.dcm");
    done = true;
    killer.join();
    EXPECT_FALSE(uploaded);
    EXPECT_FALSE(client.LastError().empty());
}

TEST_F(FtpClientTest, ServerThatStopsAnsweringTimesOut) {
    FtpClient client = Client();
    ASSERT_TRUE(client.Connect()) << client.LastError();
    server_.Freeze();
    EXPECT_FALSE(client.Upload(Local("a.dcm", "abc"), "/data/a.dcm"));
    EXPECT_NE(client.LastError().find("imeout"), std::string::npos) << client.LastError();
    server_.Resume();
}

}  // namespace

}  // namespace mirabel
