#include "platform/FileDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "platform/RetryOnInterrupt.h"

namespace mirabel {

FileDescriptor::~FileDescriptor() noexcept {
    // A close error has nowhere to go from here; files whose data matters are closed with
    // Close() and its result is checked. close is never made again after EINTR: on Linux the
    // descriptor is gone either way.
    if (fd_ >= 0) ::close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.Release();
    }
    return *this;
}

FileDescriptor FileDescriptor::Open(const std::filesystem::path& path, int flags, int mode) {
    return FileDescriptor(
        RetryOnInterrupt([&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); }));
}

FileDescriptor FileDescriptor::OpenForReading(const std::filesystem::path& path) {
    return Open(path, O_RDONLY);
}

int FileDescriptor::Release() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

bool FileDescriptor::Close() noexcept {
    if (fd_ < 0) return true;
    return ::close(Release()) == 0;
}

std::string LastSystemError() {
    return std::system_category().message(errno);
}

}  // namespace mirabel
