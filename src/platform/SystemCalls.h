#pragma once
// Every system call the platform layer makes goes through here: each is made again where a
// signal interrupted it (EINTR) and its failure comes back as a SystemError. And a test can make
// the Nth call of a kind fail with a chosen errno, so that the paths a full disk, a pulled
// medium or a failing network folder take are reached without one.
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/SystemResult.h"

namespace mirabel {

// The kinds a fault can be set for. Related calls share a kind: a test says "the second
// rename", whichever of the rename calls makes it.
enum class SystemCall {
    Unlink,
    Rename,
    Write,  // write, send
    Fsync,  // fsync, fdatasync
    Open,   // open, openat, mkostemp
    Read,   // read, pread, recv, listing a folder
    Close,
    Stat,  // stat, lstat, fstat, fstatat, faccessat
    Chmod,
    Truncate,
    Mkdir,
    CopyFileRange,
    Statvfs,
    Flock,
    Network,  // socket, connect, poll, getsockopt
};
inline constexpr std::size_t kSystemCallKinds = static_cast<std::size_t>(SystemCall::Network) + 1;

// Makes the nth call of that kind from now on (1 is the next one), and the times-1 calls after
// it, fail with errorNumber instead of running (a failure that stays, as a full disk does,
// outlasts the retries of a caller); 0 as nth clears the fault. One fault per kind at a time.
// For tests.
void InjectSystemCallFault(SystemCall call, int nth, int errorNumber, int times = 1);
void ClearSystemCallFaults();

// Clears every fault when it goes away, also when a test's expectation returns early.
class ScopedSystemCallFault {
  public:
    ScopedSystemCallFault(SystemCall call, int nth, int errorNumber, int times = 1) {
        InjectSystemCallFault(call, nth, errorNumber, times);
    }
    ~ScopedSystemCallFault() { ClearSystemCallFaults(); }
    ScopedSystemCallFault(const ScopedSystemCallFault&) = delete;
    ScopedSystemCallFault& operator=(const ScopedSystemCallFault&) = delete;
};

namespace sys {

// Descriptors: O_CLOEXEC is always added, so no descriptor leaks into a child process. `dir`
// is an open folder or AT_FDCWD.
SystemResult<int> OpenAt(int dir, const char* path, int flags, unsigned mode = 0);
// mkostemp(3): `pattern` ends in "XXXXXX", which is replaced by the name made.
SystemResult<int> MakeTemporaryFile(std::string& pattern);
// Never made again after EINTR: on Linux the descriptor is gone either way.
SystemResult<> Close(int fd);

SystemResult<std::size_t> Read(int fd, void* buffer, std::size_t size);
SystemResult<std::size_t> ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset);
SystemResult<std::size_t> Write(int fd, const void* bytes, std::size_t count);
// copy_file_range(2) from the current positions: the count moved, 0 at the end of `in`.
SystemResult<std::size_t> CopyFileRange(int in, int out, std::size_t count);
SystemResult<> Fsync(int fd);
SystemResult<> DataSync(int fd);

SystemResult<> StatAt(int dir, const char* path, struct stat& info, int flags);
SystemResult<> Fstat(int fd, struct stat& info);
SystemResult<> AccessAt(int dir, const char* path, int mode);
SystemResult<> Chmod(int fd, unsigned mode);
SystemResult<> Truncate(int fd, std::uint64_t length);
SystemResult<> Statvfs(const char* path, struct statvfs& info);
SystemResult<> Flock(int fd, int operation);

// Replaces what is at `to` (a link there is replaced, not followed).
SystemResult<> Rename(const char* from, const char* to);
// renameat2(2) with RENAME_NOREPLACE: the target must not exist.
SystemResult<> RenameNoReplace(int fromDir, const char* from, int toDir, const char* to);
SystemResult<> UnlinkAt(int dir, const char* name);
SystemResult<> MakeFolder(const char* path, unsigned mode);
SystemResult<> MakeFolderAt(int dir, const char* name, unsigned mode);

// The entries of an open folder, without "." and "..", each with its own type (a link is not
// followed). The descriptor stays the caller's.
struct FolderEntry {
    std::string name;
    unsigned char type;  // DT_REG, DT_DIR, DT_LNK, ...; DT_UNKNOWN for one gone meanwhile
};
SystemResult<std::vector<FolderEntry>> ListFolder(int dir);

// Hints to the page cache and the storage; a kernel that ignores them does the same work at
// another speed, so they report nothing.
void Advise(int fd, int advice);
void StartWriteBack(int fd);

SystemResult<int> Socket(int family, int type);
// Not made again after EINTR: the connection goes on in the background, as after EINPROGRESS.
SystemResult<> Connect(int fd, const sockaddr* address, socklen_t length);
SystemResult<std::size_t> Send(int fd, const void* bytes, std::size_t count, int flags);
SystemResult<std::size_t> Receive(int fd, void* buffer, std::size_t size);
// The count of ready descriptors; 0 when the timeout passed.
SystemResult<int> Poll(pollfd* fds, nfds_t count, int timeoutMs);
// The pending error of a socket (SO_ERROR), 0 for none.
SystemResult<int> PendingSocketError(int fd);

}  // namespace sys

}  // namespace mirabel
