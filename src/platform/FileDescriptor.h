#pragma once
// One open POSIX file descriptor, closed when the owner goes away.
#include <filesystem>

#include "platform/SystemResult.h"

namespace mirabel {

class FileDescriptor {
  public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() noexcept;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    // open(2) with O_CLOEXEC added.
    static SystemResult<FileDescriptor> Open(const std::filesystem::path& path, int flags,
                                             unsigned mode = 0666);
    // The same for a path relative to an open folder.
    static SystemResult<FileDescriptor> OpenAt(int folder, const char* path, int flags,
                                               unsigned mode = 0666);
    // An existing regular file opened for reading only (a link is followed). A FIFO, socket,
    // device or folder is refused at once, error EINVAL: opening or reading one could wait for
    // ever where a settings, label or log file was expected.
    static SystemResult<FileDescriptor> OpenForReading(const std::filesystem::path& path);

    bool IsValid() const { return fd_ >= 0; }
    int Get() const { return fd_; }
    int Release() noexcept;
    // Closes now; an error for a written file means its data may be lost.
    SystemResult<> Close() noexcept;

  private:
    int fd_ = -1;
};

}  // namespace mirabel
