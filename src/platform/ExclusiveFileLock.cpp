#include "platform/ExclusiveFileLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include "platform/SystemCalls.h"

namespace mirabel {

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& lockFile, Wait wait) {
    SystemResult<FileDescriptor> opened = FileDescriptor::Open(lockFile, O_RDWR | O_CREAT, 0600);
    if (!opened) {
        failure_ = "cannot open " + lockFile.string() + ": " + opened.error().Text();
        return;
    }
    fd_ = std::move(*opened);
    const int operation = wait == Wait::No ? LOCK_EX | LOCK_NB : LOCK_EX;
    const SystemResult<> taken = sys::Flock(fd_.Get(), operation);
    locked_ = taken.ok();
    if (locked_) return;
    heldElsewhere_ = taken.error().code == EWOULDBLOCK;
    if (!heldElsewhere_)
        failure_ = "cannot lock " + lockFile.string() + ": " + taken.error().Text();
}

}  // namespace mirabel
