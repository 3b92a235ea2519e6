#include "platform/SystemCalls.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/RetryOnInterrupt.h"

namespace mirabel {

std::string SystemError::Text() const {
    return std::system_category().message(code);
}

namespace {

// Per kind: the calls counted since the fault was set, the first and last of them to fail
// (first 0: no fault), and the errno they fail with. Atomic: files are removed on several
// threads at once.
struct Fault {
    std::atomic<int> seen{0};
    std::atomic<int> first{0};
    std::atomic<int> last{0};
    std::atomic<int> error{0};
};
std::array<Fault, kSystemCallKinds> g_faults;

// True when this call is one to fail; errno is then set.
bool FaultStrikes(SystemCall call) {
    Fault& fault = g_faults[static_cast<std::size_t>(call)];
    if (fault.first.load(std::memory_order_relaxed) <= 0) return false;
    const int nth = fault.seen.fetch_add(1) + 1;
    if (nth < fault.first.load() || nth > fault.last.load()) return false;
    errno = fault.error.load();
    return true;
}

// The call, made again after EINTR, unless a fault strikes first; -1 with errno on failure.
template <typename Call>
auto Run(SystemCall kind, Call call) -> decltype(call()) {
    if (FaultStrikes(kind)) return -1;
    return RetryOnInterrupt(call);
}

SystemResult<> Status(long result) {
    if (result == -1) return SystemError::Last();
    return Done{};
}

SystemResult<std::size_t> Count(ssize_t result) {
    if (result < 0) return SystemError::Last();
    return static_cast<std::size_t>(result);
}

SystemResult<int> NonNegative(int result) {
    if (result < 0) return SystemError::Last();
    return result;
}

// The entry's type, asked of the entry itself (not following a link) where the file system does
// not tell it in the listing. DT_UNKNOWN when it is gone meanwhile.
unsigned char TypeOf(int dir, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN) return entry.d_type;
    struct stat info {};
    if (::fstatat(dir, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) return DT_UNKNOWN;
    return static_cast<unsigned char>(IFTODT(info.st_mode));
}

}  // namespace

void InjectSystemCallFault(SystemCall call, int nth, int errorNumber, int times) {
    Fault& fault = g_faults[static_cast<std::size_t>(call)];
    fault.first = 0;  // no call strikes while the fault is being set
    fault.seen = 0;
    fault.error = errorNumber;
    fault.last = nth + times - 1;
    fault.first = nth;
}

void ClearSystemCallFaults() {
    for (Fault& fault : g_faults) fault.first = 0;
}

namespace sys {

SystemResult<int> OpenAt(int dir, const char* path, int flags, unsigned mode) {
    return NonNegative(
        Run(SystemCall::Open, [&] { return ::openat(dir, path, flags | O_CLOEXEC, mode); }));
}

SystemResult<int> MakeTemporaryFile(std::string& pattern) {
    return NonNegative(
        Run(SystemCall::Open, [&] { return ::mkostemp(pattern.data(), O_CLOEXEC); }));
}

SystemResult<> Close(int fd) {
    if (FaultStrikes(SystemCall::Close)) {
        ::close(fd);  // the descriptor goes all the same, as after a real failure
        return SystemError::Last();
    }
    return Status(::close(fd));
}

SystemResult<std::size_t> Read(int fd, void* buffer, std::size_t size) {
    return Count(Run(SystemCall::Read, [&] { return ::read(fd, buffer, size); }));
}

SystemResult<std::size_t> ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    return Count(Run(SystemCall::Read,
                     [&] { return ::pread(fd, buffer, size, static_cast<off_t>(offset)); }));
}

SystemResult<std::size_t> Write(int fd, const void* bytes, std::size_t count) {
    return Count(Run(SystemCall::Write, [&] { return ::write(fd, bytes, count); }));
}

SystemResult<std::size_t> CopyFileRange(int in, int out, std::size_t count) {
    return Count(Run(SystemCall::CopyFileRange,
                     [&] { return ::copy_file_range(in, nullptr, out, nullptr, count, 0); }));
}

SystemResult<> Fsync(int fd) {
    return Status(Run(SystemCall::Fsync, [&] { return ::fsync(fd); }));
}

SystemResult<> DataSync(int fd) {
    return Status(Run(SystemCall::Fsync, [&] { return ::fdatasync(fd); }));
}

SystemResult<> StatAt(int dir, const char* path, struct stat& info, int flags) {
    return Status(Run(SystemCall::Stat, [&] { return ::fstatat(dir, path, &info, flags); }));
}

SystemResult<> Fstat(int fd, struct stat& info) {
    return Status(Run(SystemCall::Stat, [&] { return ::fstat(fd, &info); }));
}

SystemResult<> AccessAt(int dir, const char* path, int mode) {
    return Status(Run(SystemCall::Stat, [&] { return ::faccessat(dir, path, mode, 0); }));
}

SystemResult<> Chmod(int fd, unsigned mode) {
    return Status(Run(SystemCall::Chmod, [&] { return ::fchmod(fd, mode); }));
}

SystemResult<> Truncate(int fd, std::uint64_t length) {
    return Status(
        Run(SystemCall::Truncate, [&] { return ::ftruncate(fd, static_cast<off_t>(length)); }));
}

SystemResult<> Statvfs(const char* path, struct statvfs& info) {
    return Status(Run(SystemCall::Statvfs, [&] { return ::statvfs(path, &info); }));
}

SystemResult<> Flock(int fd, int operation) {
    return Status(Run(SystemCall::Flock, [&] { return ::flock(fd, operation); }));
}

SystemResult<> Rename(const char* from, const char* to) {
    return Status(Run(SystemCall::Rename, [&] { return ::rename(from, to); }));
}

SystemResult<> RenameNoReplace(int fromDir, const char* from, int toDir, const char* to) {
    return Status(Run(SystemCall::Rename,
                      [&] { return ::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE); }));
}

SystemResult<> UnlinkAt(int dir, const char* name) {
    return Status(Run(SystemCall::Unlink, [&] { return ::unlinkat(dir, name, 0); }));
}

SystemResult<> MakeFolder(const char* path, unsigned mode) {
    return Status(Run(SystemCall::Mkdir, [&] { return ::mkdir(path, mode); }));
}

SystemResult<> MakeFolderAt(int dir, const char* name, unsigned mode) {
    return Status(Run(SystemCall::Mkdir, [&] { return ::mkdirat(dir, name, mode); }));
}

SystemResult<std::vector<FolderEntry>> ListFolder(int dir) {
    if (FaultStrikes(SystemCall::Read)) return SystemError::Last();
    // A listing of its own: fdopendir takes over the descriptor it is given.
    const SystemResult<int> own = NonNegative(::fcntl(dir, F_DUPFD_CLOEXEC, 0));
    if (!own) return own.error();
    DIR* stream = ::fdopendir(*own);
    if (!stream) {
        const SystemError error = SystemError::Last();
        ::close(*own);
        return error;
    }
    ::rewinddir(stream);  // the duplicate shares the position of a folder listed before
    std::vector<FolderEntry> entries;
    errno = 0;
    while (const dirent* entry = ::readdir(stream)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            entries.push_back({entry->d_name, TypeOf(::dirfd(stream), *entry)});
        errno = 0;
    }
    const SystemError error = SystemError::Last();
    ::closedir(stream);
    if (error.code != 0) return error;
    return entries;
}

void Advise(int fd, int advice) {
    (void)::posix_fadvise(fd, 0, 0, advice);  // a hint: see the header
}

void StartWriteBack(int fd) {
    (void)::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);  // a head start only
}

SystemResult<int> Socket(int family, int type) {
    return NonNegative(
        Run(SystemCall::Network, [&] { return ::socket(family, type | SOCK_CLOEXEC, 0); }));
}

SystemResult<> Connect(int fd, const sockaddr* address, socklen_t length) {
    if (FaultStrikes(SystemCall::Network)) return SystemError::Last();
    return Status(::connect(fd, address, length));
}

SystemResult<std::size_t> Send(int fd, const void* bytes, std::size_t count, int flags) {
    return Count(Run(SystemCall::Write, [&] { return ::send(fd, bytes, count, flags); }));
}

SystemResult<std::size_t> Receive(int fd, void* buffer, std::size_t size) {
    return Count(Run(SystemCall::Read, [&] { return ::recv(fd, buffer, size, 0); }));
}

SystemResult<int> Poll(pollfd* fds, nfds_t count, int timeoutMs) {
    return NonNegative(Run(SystemCall::Network, [&] { return ::poll(fds, count, timeoutMs); }));
}

SystemResult<int> PendingSocketError(int fd) {
    int error = 0;
    socklen_t size = sizeof error;
    const SystemResult<> asked = Status(Run(SystemCall::Network, [&] {
        return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
    }));
    if (!asked) return asked.error();
    return error;
}

}  // namespace sys

}  // namespace mirabel
