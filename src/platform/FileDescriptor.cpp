#include "platform/FileDescriptor.h"

#include <fcntl.h>

#include "platform/SystemCalls.h"

namespace mirabel {

FileDescriptor::~FileDescriptor() noexcept {
    // A close error has nowhere to go from here; files whose data matters are closed with
    // Close() and its result is checked.
    if (fd_ >= 0) (void)sys::Close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) (void)sys::Close(fd_);
        fd_ = other.Release();
    }
    return *this;
}

SystemResult<FileDescriptor> FileDescriptor::Open(const std::filesystem::path& path, int flags,
                                                  unsigned mode) {
    return OpenAt(AT_FDCWD, path.c_str(), flags, mode);
}

SystemResult<FileDescriptor> FileDescriptor::OpenAt(int folder, const char* path, int flags,
                                                    unsigned mode) {
    const SystemResult<int> fd = sys::OpenAt(folder, path, flags, mode);
    if (!fd) return fd.error();
    return FileDescriptor(*fd);
}

SystemResult<FileDescriptor> FileDescriptor::OpenForReading(const std::filesystem::path& path) {
    // O_NONBLOCK keeps the open of a FIFO without a writer from waiting; it changes nothing
    // for the regular file that is kept.
    SystemResult<FileDescriptor> fd = Open(path, O_RDONLY | O_NONBLOCK);
    if (!fd) return fd;
    struct stat info {};
    if (const SystemResult<> stated = sys::Fstat(fd->Get(), info); !stated) return stated.error();
    if (!S_ISREG(info.st_mode)) return SystemError{EINVAL};
    return fd;
}

int FileDescriptor::Release() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

SystemResult<> FileDescriptor::Close() noexcept {
    if (fd_ < 0) return Done{};
    return sys::Close(Release());
}

}  // namespace mirabel
