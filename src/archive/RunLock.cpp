#include "archive/RunLock.h"

namespace mirabel {

std::optional<ExclusiveFileLock> TakeRunLock(const std::filesystem::path& startDir,
                                             std::string& refusal) {
    ExclusiveFileLock lock(startDir / kRunLockFile, ExclusiveFileLock::Wait::No);
    if (lock.locked()) return lock;
    refusal = lock.heldElsewhere() ? kAnotherRunInProgress : lock.failure();
    return std::nullopt;
}

}  // namespace mirabel
