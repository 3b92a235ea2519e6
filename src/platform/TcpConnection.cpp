#include "platform/TcpConnection.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/RetryOnInterrupt.h"

namespace mirabel {

namespace {

// Short enough that Cancel answers at once, long enough not to spin.
constexpr std::chrono::milliseconds kSlice{20};
constexpr std::size_t kReadSize = 65536;

struct AddressListDeleter {
    void operator()(addrinfo* list) const noexcept { ::freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

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
        const int ready = ::poll(&watched, 1, SliceUntil(deadline));
        if (ready > 0) return Result::Done;  // the next call tells data from an error
        if (ready < 0 && errno != EINTR) return Fail(LastSystemError());
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
    socket_ = FileDescriptor(::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket_.IsValid()) return Fail(LastSystemError());
    if (::connect(socket_.Get(), static_cast<const sockaddr*>(address), length) == 0)
        return Result::Done;
    if (errno != EINPROGRESS && errno != EINTR) return Fail(LastSystemError());
    if (const Result waited = WaitFor(POLLOUT, deadline); waited != Result::Done) return waited;
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(socket_.Get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return Fail(LastSystemError());
    if (error != 0) return Fail(std::strerror(error));
    return Result::Done;
}

TcpConnection::Result TcpConnection::SendAll(std::string_view bytes, Clock::time_point deadline) {
    while (!bytes.empty()) {
        // MSG_NOSIGNAL: a peer that has gone away must fail the send, not end the program.
        const ssize_t sent = RetryOnInterrupt(
            [&] { return ::send(socket_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL); });
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (const Result waited = WaitFor(POLLOUT, deadline); waited != Result::Done)
                return waited;
        } else {
            return Fail(LastSystemError());
        }
    }
    return Result::Done;
}

TcpConnection::Result TcpConnection::Receive(std::string& received, Clock::time_point deadline) {
    lastError_.clear();
    char buffer[kReadSize];
    for (;;) {
        const ssize_t read =
            RetryOnInterrupt([&] { return ::recv(socket_.Get(), buffer, sizeof buffer, 0); });
        if (read > 0) {
            received.append(buffer, static_cast<std::size_t>(read));
            return Result::Done;
        }
        if (read == 0) {
            lastError_ = "connection closed by the server";
            return Result::Closed;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (const Result waited = WaitFor(POLLIN, deadline); waited != Result::Done)
                return waited;
        } else {
            return Fail(LastSystemError());
        }
    }
}

}  // namespace mirabel
