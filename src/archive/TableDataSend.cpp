#include "archive/TableDataSend.h"

#include <algorithm>
#include <optional>

#include "archive/FrameReassembly.h"
#include "archive/FtpAddress.h"
#include "archive/RunState.h"
#include "archive/TableScript.h"
#include "core/EnvironmentDuration.h"
#include "core/Text.h"
#include "log/Logs.h"

namespace mirabel {

namespace {

constexpr std::chrono::milliseconds kDefaultReplyWait{120000};
constexpr std::chrono::milliseconds kConnectTimeout{30000};
// How much of a refusing reply the debug log shows.
constexpr std::size_t kLoggedReplyLength = 200;

struct TableAddress {
    std::string host;
    int port = 0;
};

// The table-data port lives on the host of the FTP address, whatever FTP port that names.
std::optional<TableAddress> TableDataAddress(const ArchiveDestination& destination) {
    const std::optional<FtpAddress> ftp = ParseFtpAddress(destination.m_strIpAddress);
    const std::optional<int> port = ParsePortNumber(destination.m_strPort);
    if (!ftp || !port) return std::nullopt;
    return TableAddress{ftp->host, *port};
}

// The event pump between two slices of a socket wait; Cancel ends the wait.
bool PumpUntilStopped(const RunControl& control) {
    PeekAndPump();
    return !control.StopRequested();
}

// A refusing reply for the log, cut to the length of a line (the log keeps it on one line).
std::string LoggedReply(const std::string& reply) {
    return reply.substr(0, kLoggedReplyLength);
}

void LogTableFailure(const std::string& table, const std::string& what) {
    DebugLog("Table data " + table + ": " + what);
}

}  // namespace

std::chrono::milliseconds TableReplyWait() {
    return DurationFromEnvironment("MIRABEL_TABLE_REPLY_WAIT_MS", kDefaultReplyWait);
}

bool SendFramedMessage(TcpConnection& socket, const std::string& payload) {
    const auto deadline = TcpConnection::Clock::now() + TableReplyWait();
    return socket.SendAll(FrameMessage(payload), deadline) == TcpConnection::Result::Done;
}

bool WaitForMessage(TcpConnection& socket, std::string& reply, std::chrono::milliseconds timeout) {
    const auto deadline = TcpConnection::Clock::now() + timeout;
    FrameReassembly received;
    std::string bytes;
    while (received.messages.empty()) {
        if (received.malformed) return false;
        bytes.clear();
        if (socket.Receive(bytes, deadline) != TcpConnection::Result::Done) return false;
        Reassemble(received, bytes);
    }
    reply = received.messages.front();
    return true;
}

bool SendTableData(const RunControl& control, const ArchiveDestination& destination,
                   const std::string& table, const std::vector<std::string>& names,
                   const std::vector<std::string>& values, std::string& reply,
                   const std::string& studyDirectory) {
    const std::optional<TableAddress> address = TableDataAddress(destination);
    if (!address) {
        LogTableFailure(table, "no table-data port at \"" + destination.m_strIpAddress +
                                   "\" port # \"" + destination.m_strPort + "\"");
        return false;
    }
    const std::string script =
        FormatTableScript(table, names, values, studyDirectory) + CachedTableScript();
    const std::string where = address->host + " port " + std::to_string(address->port);

    TcpConnection socket([&control] { return PumpUntilStopped(control); });
    if (socket.Connect(address->host, address->port,
                       TcpConnection::Clock::now() + kConnectTimeout) !=
        TcpConnection::Result::Done) {
        LogTableFailure(table, "cannot connect to " + where + ": " + socket.LastError());
        return false;
    }
    if (!SendFramedMessage(socket, script)) {
        LogTableFailure(table, "cannot send to " + where + ": " + socket.LastError());
        return false;
    }
    std::string answer = "ERROR";
    if (!WaitForMessage(socket, answer, TableReplyWait())) {
        LogTableFailure(table, "no valid reply from " + where + ": " +
                                   (socket.LastError().empty() ? "not a table-data frame"
                                                               : socket.LastError()));
        return false;
    }
    if (ToAsciiLower(answer).find("error") != std::string::npos) {
        LogTableFailure(table, "refused by " + where + ": " + LoggedReply(answer));
        return false;
    }
    reply = answer;
    return true;
}

}  // namespace mirabel
