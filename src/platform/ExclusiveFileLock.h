#pragma once
// An exclusive advisory lock (flock) on a lock file, held for the object's lifetime, so that
// processes sharing a file or a directory take turns. The lock file is a separate file
// because a shared file itself is replaced by rename, which would leave a lock on it behind
// on the old copy. The lock file is left in place afterwards: removing it would let a third
// process lock a new file while the second still holds the old one.
#include <filesystem>
#include <string>

#include "platform/FileDescriptor.h"

namespace mirabel {

class ExclusiveFileLock {
  public:
    enum class Wait { UntilFree, No };

    // Creates the lock file if needed (0600) and takes the lock, waiting for it unless told
    // not to. locked() is false when the file cannot be opened or locked, or when the lock is
    // held elsewhere and no wait was wanted.
    explicit ExclusiveFileLock(const std::filesystem::path& lockFile, Wait wait = Wait::UntilFree);

    bool locked() const { return locked_; }
    // Without waiting: another open of the lock file (another process, as a rule) holds it.
    bool heldElsewhere() const { return heldElsewhere_; }
    // Why the lock file could not be opened or locked; empty when locked or held elsewhere.
    const std::string& failure() const { return failure_; }

  private:
    FileDescriptor fd_;  // closing it releases the lock
    bool locked_ = false;
    bool heldElsewhere_ = false;
    std::string failure_;
};

}  // namespace mirabel
