#include "platform/ExclusiveFileLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include "platform/RetryOnInterrupt.h"

namespace mirabel {

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& lockFile, Wait wait)
    : fd_(FileDescriptor::Open(lockFile, O_RDWR | O_CREAT, 0600)) {
    if (!fd_.IsValid()) {
        failure_ = "cannot open " + lockFile.string() + ": " + LastSystemError();
        return;
    }
    const int operation = wait == Wait::No ? LOCK_EX | LOCK_NB : LOCK_EX;
    locked_ = RetryOnInterrupt([&] { return ::flock(fd_.Get(), operation); }) == 0;
    if (locked_) return;
    heldElsewhere_ = errno == EWOULDBLOCK;
    if (!heldElsewhere_) failure_ = "cannot lock " + lockFile.string() + ": " + LastSystemError();
}

}  // namespace mirabel
