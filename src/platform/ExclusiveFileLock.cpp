#include "platform/ExclusiveFileLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include "platform/RetryOnInterrupt.h"

namespace mirabel {

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& lockFile)
    : fd_(FileDescriptor::Open(lockFile, O_RDWR | O_CREAT, 0600)) {
    if (!fd_.IsValid()) return;
    locked_ = RetryOnInterrupt([&] { return ::flock(fd_.Get(), LOCK_EX); }) == 0;
}

}  // namespace mirabel
