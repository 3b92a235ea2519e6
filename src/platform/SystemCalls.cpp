#include "platform/SystemCalls.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>

#include "platform/RetryOnInterrupt.h"

namespace mirabel {

namespace {

// The calls still to go before the injected failure, and its errno, per kind. Atomic: files are
// removed on several threads at once.
struct Fault {
    std::atomic<int> remaining{0};
    std::atomic<int> error{0};
};
std::array<Fault, 4> g_faults;

// True when this call is the one to fail; errno is then set.
bool FaultStrikes(SystemCall call) {
    Fault& fault = g_faults[static_cast<std::size_t>(call)];
    if (fault.remaining.load(std::memory_order_relaxed) <= 0) return false;
    if (fault.remaining.fetch_sub(1) != 1) return false;
    errno = fault.error.load();
    return true;
}

}  // namespace

int UnlinkAt(int dir, const char* name) {
    if (FaultStrikes(SystemCall::Unlink)) return -1;
    return RetryOnInterrupt([&] { return ::unlinkat(dir, name, 0); });
}

int RenameAtNoReplace(int fromDir, const char* from, int toDir, const char* to) {
    if (FaultStrikes(SystemCall::Rename)) return -1;
    return RetryOnInterrupt(
        [&] { return ::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE); });
}

ssize_t WriteSome(int fd, const void* bytes, std::size_t count) {
    if (FaultStrikes(SystemCall::Write)) return -1;
    return RetryOnInterrupt([&] { return ::write(fd, bytes, count); });
}

int Fsync(int fd) {
    if (FaultStrikes(SystemCall::Fsync)) return -1;
    return RetryOnInterrupt([&] { return ::fsync(fd); });
}

void InjectSystemCallFault(SystemCall call, int nth, int errorNumber) {
    Fault& fault = g_faults[static_cast<std::size_t>(call)];
    fault.error = errorNumber;
    fault.remaining = nth;
}

void ClearSystemCallFaults() {
    for (Fault& fault : g_faults) fault.remaining = 0;
}

}  // namespace mirabel
