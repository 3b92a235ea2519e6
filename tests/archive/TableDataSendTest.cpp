// Sending table data to a real table-data server on 127.0.0.1 that answers as each case asks.
#include "archive/TableDataSend.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>

#include "app/WindowRun.h"
#include "archive/FrameReassembly.h"
#include "archive/RunState.h"
#include "archive/TableScript.h"
#include "fixtures/FtpServer.h"
#include "fixtures/TableDataServer.h"
#include "fixtures/TransferSetup.h"

namespace mirabel {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kStudyDir = "/images/vol1/2004/0117/ST01/";
constexpr int kWaitMs = 1500;

class TableDataSend : public ::testing::Test {
  protected:
    TableDataSend() {
        ::setenv("MIRABEL_TABLE_REPLY_WAIT_MS", std::to_string(kWaitMs).c_str(), 1);
        g_strScriptFile = (setup.Work() / "pcode.txt").string();
        ResetTableScript();
    }
    ~TableDataSend() override {
        ::unsetenv("MIRABEL_TABLE_REPLY_WAIT_MS");
        g_strScriptFile = "pcode.txt";
        ResetTableScript();
    }

    static ArchiveDestination Server(int tablePort) {
        ArchiveDestination server(DestinationKind::Server);
        server.m_strIpAddress = "127.0.0.1:2121";  // the FTP port plays no part here
        server.m_strPort = std::to_string(tablePort);
        server.BuildId();
        return server;
    }
    bool Send(const ArchiveDestination& server, std::string& reply) {
        return SendTableData(WindowRunControl(), server, "PATIENT", {"NAME_L"}, {"Smith"}, reply,
                             kStudyDir);
    }

    TransferSetup setup;
};

TEST_F(TableDataSend, TheRequestIsTheFramedScriptWithTheProcedureByteForByte) {
    WriteFileBytes(setup.Work() / "pcode.txt", "Call(StoreExam)\n");
    TableDataServer server({{"EXAM", {TableAnswer::Reply("OK")}}});
    const std::string value = "O'Brien \"Jr\"\t\xC3\xA9\\cr\\lf" + std::string(4000, 'v');
    std::string reply;
    ASSERT_TRUE(SendTableData(WindowRunControl(), Server(server.Port()), "EXAM", {"NOTE", "PAT_ID"},
                              {value, "4711"}, reply, kStudyDir));
    EXPECT_EQ(reply, "OK");
    const std::string script =
        "String(Table)\r\nMakeString(Table,{\"EXAM\"})\r\nInteger(NFields)\r\n"
        "SetValue(NFields,2)\r\nStringArray(FieldNames)\r\nStringArray(FieldValues)\r\nAll\r\n\r\n"
        "AddArrayValue(FieldNames,{\"NOTE\"})\r\nAddArrayValue(FieldValues,{\"" +
        value +
        "\"})\r\n"
        "AddArrayValue(FieldNames,{\"PAT_ID\"})\r\nAddArrayValue(FieldValues,{\"4711\"})\r\n"
        "AddArrayValue(FieldNames,{\"IMAGE_PATH\"})\r\n"
        "AddArrayValue(FieldValues,{\"vol1/2004/0117/ST01/\"})\r\nAll\r\n\r\nCall(StoreExam)\r\n";
    EXPECT_EQ(server.Requests(),
              std::vector<std::string>{"$CVA$" + std::to_string(script.size()) + "\t" + script});
}

TEST_F(TableDataSend, OnlyAWholeReplyWithoutErrorIsAccepted) {
    struct Case {
        const char* what;
        TableAnswer answer;
        bool accepted;
        std::string reply;
    };
    TableAnswer split = TableAnswer::Reply(std::string(1100, 'p'));
    split.segments = {512, 512};
    split.pauseMs = 100;
    TableAnswer cut = TableAnswer::Raw("$CVA$10\t4711");
    cut.close = true;
    TableAnswer garbage = TableAnswer::Raw("HTTP/1.0 400 Bad Request\r\n\r\n");
    garbage.close = true;
    const std::vector<Case> cases = {
        {"a patient id", TableAnswer::Reply("4711"), true, "4711"},
        {"an error in any case", TableAnswer::Reply("Patient eRRor: duplicate"), false, ""},
        {"a reply in pieces", split, true, std::string(1100, 'p')},
        {"a reply larger than one read", TableAnswer::Reply(std::string(300000, 'b')), true,
         std::string(300000, 'b')},
        {"two replies at once", TableAnswer::Raw("$CVA$4\t4711$CVA$5\tError"), true, "4711"},
        {"garbage", garbage, false, ""},
        {"a negative length", TableAnswer::Raw("$CVA$-4\t4711"), false, ""},
        {"a huge length", TableAnswer::Raw("$CVA$4294967296\t4711"), false, ""},
        {"a connection closed before the announced length", cut, false, ""},
        {"a reset connection", TableAnswer::Reset(), false, ""},
        {"no answer at all", TableAnswer::Silent(), false, ""},
    };
    std::vector<TableAnswer> answers;
    for (const Case& c : cases) answers.push_back(c.answer);
    TableDataServer server({{"PATIENT", answers}});
    for (const Case& c : cases) {
        std::string reply = "untouched";
        const auto start = Clock::now();
        EXPECT_EQ(Send(Server(server.Port()), reply), c.accepted) << c.what;
        EXPECT_EQ(reply, c.accepted ? c.reply : "untouched") << c.what;
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kWaitMs + 1000)) << c.what;
    }
    EXPECT_EQ(server.Requests().size(), cases.size());
}

TEST_F(TableDataSend, APortThatCannotBeReachedFailsTheSend) {
    for (const std::string& port : {std::to_string(UnusedLocalPort()), std::string("50x0"),
                                    std::string(""), std::string("70000")}) {
        ArchiveDestination server = Server(0);
        server.m_strPort = port;
        std::string reply = "untouched";
        EXPECT_FALSE(Send(server, reply)) << port;
        EXPECT_EQ(reply, "untouched");
    }
}

// A listener that accepts nothing and whose queue is full: a new connection stays pending.
class FullListener {
  public:
    FullListener() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_.Get(), 0);
        socklen_t length = sizeof address;
        ::getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        for (FileDescriptor& filler : fillers_) {
            filler = FileDescriptor(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
            ::connect(filler.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
    }
    int Port() const { return port_; }

  private:
    FileDescriptor listener_{::socket(AF_INET, SOCK_STREAM, 0)};
    FileDescriptor fillers_[3];
    int port_ = 0;
};

TEST_F(TableDataSend, CancelEndsTheConnectAndTheWaitForTheReply) {
    ::setenv("MIRABEL_TABLE_REPLY_WAIT_MS", "60000", 1);
    TableDataServer silent({{"PATIENT", {TableAnswer::Silent()}}});
    FullListener full;
    for (const int port : {silent.Port(), full.Port()}) {
        WindowRunControl().Reset();
        setup.op->pumps = 0;
        setup.op->onPump = [](int pump) {
            if (pump == 5) RequestStop();
        };
        std::string reply = "untouched";
        const auto start = Clock::now();
        EXPECT_FALSE(Send(Server(port), reply));
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
        EXPECT_EQ(setup.op->pumps, 5);
    }
    EXPECT_EQ(silent.Requests().size(), 1u);
}

}  // namespace

}  // namespace mirabel
