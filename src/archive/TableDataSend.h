#pragma once
// Sending one row's table-data script to another image server and judging its reply: one
// TCP connection per script to the host of the destination's "IP address" at its "Port #",
// one framed request, one framed reply.
#include <chrono>
#include <string>
#include <vector>

#include "archive/RunState.h"
#include "config/ArchiveDestination.h"
#include "platform/TcpConnection.h"

namespace mirabel {

// How long a server may take to answer: 120 s, or MIRABEL_TABLE_REPLY_WAIT_MS milliseconds
// when that environment variable holds a number.
std::chrono::milliseconds TableReplyWait();

// Sends the row (names and values as ReadTableRow gives them) as table, with the procedure of
// "pcode.txt" appended, and waits for the reply. True when a whole reply arrived and does not
// contain "error" in any case; reply then holds it unchanged (for "PATIENT" the server's
// patient id). False, reply untouched, when the port is no port number, the server cannot be
// reached, the connection is refused, reset or closed before the whole reply, the reply is no
// valid frame, none comes within TableReplyWait(), or the operator presses Cancel meanwhile;
// the reason goes to the debug log.
// The pump between slices of the waits and Cancel are the control's.
bool SendTableData(const RunControl& control, const ArchiveDestination& destination,
                   const std::string& table, const std::vector<std::string>& names,
                   const std::vector<std::string>& values, std::string& reply,
                   const std::string& studyDirectory);

// Frames the payload and sends all of it. False when the connection fails first.
bool SendFramedMessage(TcpConnection& socket, const std::string& payload);

// Waits up to timeout for one whole framed message and puts its payload into reply. Bytes
// after the first whole message are ignored: a request has one reply. False, reply untouched,
// when the time runs out, the operator presses Cancel, the connection ends first, or the
// bytes are no frame.
bool WaitForMessage(TcpConnection& socket, std::string& reply, std::chrono::milliseconds timeout);

}  // namespace mirabel
