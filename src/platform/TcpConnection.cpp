#include "platform/TcpConnection.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/SystemCalls.h"

namespace mirabel {

namespace {

// Short enough that Cancel answers at once, long enough not to spin.
constexpr std::chrono::milliseconds kSlice{20};
constexpr std::size_t kReadSize = 65536;

struct AddressListDeleter {
    void operator()(addrinfo* list) const noexcept { ::freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

// The socket has no room or no bytes yet: wait for it.
bool WouldBlock(SystemError error) {
    return error.code == EAGAIN || error.code == EWOULDBLOCK;
}

int SliceUntil(TcpConnection::Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - TcpConnection::Clock::now());
    return static_cast<int>(std::clamp(left, std::chrono::milliseconds{0}, kSlice).count());
}

}  // namespace

TcpConnection::TcpConnection(Between between) : between_(std::move(between)) {}

TcpConnection::Result TcpConnection::Fail(std::string reason) {
    lastError_ = std::move(reason);
    return Result::Failed;
}

TcpConnection::Result TcpConnection::WaitFor(short events, Clock::time_point deadline) {
    for (;;) {
        if (Clock::now() >= deadline) {
            lastError_ = "timed out";
            return Result::TimedOut;
        }
        pollfd watched{socket_.Get(), events, 0};
        const SystemResult<int> ready = sys::Poll(&watched, 1, SliceUntil(deadline));
        if (!ready) return Fail(ready.error().Text());
        if (*ready > 0) return Result::Done;  // the next call tells data from an error
        if (!between_()) {
            lastError_ = "stopped";
            return Result::Stopped;
        }
    }
}

TcpConnection::Result TcpConnection::Connect(const std::string& host, int port,
                                             Clock::time_point deadline) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (rc != 0) return Fail(host + ": " + ::gai_strerror(rc));
    const AddressList addresses(found);
    Result result = Fail(host + ": no address");
    for (const addrinfo* a = addresses.get(); a; a = a->ai_next) {
        result = ConnectTo(a->ai_addr, a->ai_addrlen, a->ai_family, deadline);
        if (result == Result::Done) lastError_.clear();
        if (result != Result::Failed) return result;
    }
    return result;
}

TcpConnection::Result TcpConnection::ConnectTo(const void* address, unsigned length, int family,
                                               Clock::time_point deadline) {
    const SystemResult<int> made = sys::Socket(family, SOCK_STREAM | SOCK_NONBLOCK);
    socket_ = made ? FileDescriptor(*made) : FileDescriptor();
    if (!made) return Fail(made.error().Text());
    const SystemResult<> connected =
        sys::Connect(socket_.Get(), static_cast<const sockaddr*>(address), length);
    if (connected) return Result::Done;
    const int code = connected.error().code;
    if (code != EINPROGRESS && code != EINTR) return Fail(connected.error().Text());
    if (const Result waited = WaitFor(POLLOUT, deadline); waited != Result::Done) return waited;
    const SystemResult<int> pending = sys::PendingSocketError(socket_.Get());
    if (!pending) return Fail(pending.error().Text());
    if (*pending != 0) return Fail(std::strerror(*pending));
    return Result::Done;
}

TcpConnection::Result TcpConnection::SendAll(std::string_view bytes, Clock::time_point deadline) {
    while (!bytes.empty()) {
        // MSG_NOSIGNAL: a peer that has gone away must fail the send, not end the program.
        const SystemResult<std::size_t> sent =
            sys::Send(socket_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent && *sent > 0) {
            bytes.remove_prefix(*sent);
        } else if (sent || WouldBlock(sent.error())) {
            if (const Result waited = WaitFor(POLLOUT, deadline); waited != Result::Done)
                return waited;
        } else {
            return Fail(sent.error().Text());
        }
    }
    return Result::Done;
}

TcpConnection::Result TcpConnection::Receive(std::string& received, Clock::time_point deadline) {
    lastError_.clear();
    char buffer[kReadSize];
    for (;;) {
        const SystemResult<std::size_t> read = sys::Receive(socket_.Get(), buffer, sizeof buffer);
        if (read && *read > 0) {
            received.append(buffer, *read);
            return Result::Done;
        }
        if (read) {
            lastError_ = "connection closed by the server";
            return Result::Closed;
        }
        if (!WouldBlock(read.error())) return Fail(read.error().Text());
        if (const Result waited = WaitFor(POLLIN, deadline); waited != Result::Done) return waited;
    }
}

}  // namespace mirabel
