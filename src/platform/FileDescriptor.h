#pragma once
// One open POSIX file descriptor, closed when the owner goes away.
#include <filesystem>
#include <string>

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

    // open(2) with O_CLOEXEC added; an invalid descriptor (errno set) when it fails.
    [[nodiscard]] static FileDescriptor Open(const std::filesystem::path& path, int flags,
                                             int mode = 0666);
    // An existing regular file opened for reading only (a link is followed). A FIFO, socket,
    // device or folder is refused at once, errno EINVAL: opening or reading one could wait for
    // ever where a settings, label or log file was expected.
    [[nodiscard]] static FileDescriptor OpenForReading(const std::filesystem::path& path);

    bool IsValid() const { return fd_ >= 0; }
    int Get() const { return fd_; }
    int Release() noexcept;
    // Closes now; false when close reported an error (for a written file: data may be lost).
    [[nodiscard]] bool Close() noexcept;

  private:
    int fd_ = -1;
};

// The text of the current errno, for logs.
std::string LastSystemError();

}  // namespace mirabel
