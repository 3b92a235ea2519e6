#include "platform/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
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
    // O_NONBLOCK keeps the open of a FIFO without a writer from waiting; it changes nothing
    // for the regular file that is kept.
    FileDescriptor fd = Open(path, O_RDONLY | O_NONBLOCK);
    if (!fd.IsValid()) return fd;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) return FileDescriptor();
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return FileDescriptor();
    }
    return fd;
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
