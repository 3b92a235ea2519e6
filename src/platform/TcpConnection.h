#pragma once
// A TCP connection carrying one request and its reply (an image server's table-data port).
// The socket never blocks the program: connecting, sending and reading wait in short slices,
// and between two slices the owner's `between` runs (the event pump, so the windows stay alive)
// and may end the wait (Cancel). The connection is closed when the object goes away.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "platform/FileDescriptor.h"

namespace mirabel {

class TcpConnection {
  public:
    using Clock = std::chrono::steady_clock;
    // Runs between two slices of a wait; false ends the wait.
    using Between = std::function<bool()>;

    enum class [[nodiscard]] Result{
        Done,      // connected, every byte sent, or bytes received
        Closed,    // the peer closed the connection (receiving only)
        TimedOut,  // the deadline passed first
        Stopped,   // `between` ended the wait
        Failed     // refused, unreachable, reset or another system error (see LastError)
    };

    explicit TcpConnection(Between between);

    // Connects to host (a name or an address) at port, trying each address of the name in turn.
    Result Connect(const std::string& host, int port, Clock::time_point deadline);

    // Hands every byte to the system.
    Result SendAll(std::string_view bytes, Clock::time_point deadline);

    // Waits for bytes and appends those of one read to received.
    Result Receive(std::string& received, Clock::time_point deadline);

    // Why the last operation did not end with Done, for the logs.
    const std::string& LastError() const { return lastError_; }

  private:
    Result ConnectTo(const void* address, unsigned length, int family, Clock::time_point deadline);
    // Waits until the socket is ready for the poll events (or reports an error condition).
    Result WaitFor(short events, Clock::time_point deadline);
    Result Fail(std::string reason);

    FileDescriptor socket_;
    Between between_;
    std::string lastError_;
};

}  // namespace mirabel
