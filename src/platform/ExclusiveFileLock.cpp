#include "platform/ExclusiveFileLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>

namespace mirabel {

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& lockFile)
    : fd_(::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (!fd_.IsValid()) return;
    int result = 0;
    do {
        result = ::flock(fd_.Get(), LOCK_EX);
    } while (result != 0 && errno == EINTR);
    locked_ = result == 0;
}

}  // namespace mirabel
