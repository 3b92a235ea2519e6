#pragma once
// The file-system calls whose failure decides whether a study stays whole: removing, renaming,
// writing and flushing. They go through here, each with its EINTR retry, so that a test can make
// the Nth call of a kind fail with a chosen errno and watch what the program then does.
#include <sys/types.h>

#include <cstddef>

namespace mirabel {

enum class SystemCall { Unlink, Rename, Write, Fsync };

// unlinkat(2), renameat2(2) with RENAME_NOREPLACE (the target must not exist), write(2) and
// fsync(2); -1 with errno set on failure, as the system calls themselves.
int UnlinkAt(int dir, const char* name);
int RenameAtNoReplace(int fromDir, const char* from, int toDir, const char* to);
ssize_t WriteSome(int fd, const void* bytes, std::size_t count);
int Fsync(int fd);

// Makes the nth call of that kind from now on (1 is the next one) fail with errorNumber
// instead of running; 0 as nth clears the fault. One fault per kind at a time. For tests.
void InjectSystemCallFault(SystemCall call, int nth, int errorNumber);
void ClearSystemCallFaults();

}  // namespace mirabel
