#pragma once
// An exclusive advisory lock (flock) on a lock file, held for the object's lifetime, so that
// processes sharing a file take turns at read-modify-write. The lock file is a separate file
// because the shared file itself is replaced by rename, which would leave a lock on it behind
// on the old copy.
#include <filesystem>

#include "platform/FileDescriptor.h"

namespace mirabel {

class ExclusiveFileLock {
  public:
    // Creates the lock file if needed and waits until the lock is held; locked() is false
    // when the file cannot be opened or locked.
    explicit ExclusiveFileLock(const std::filesystem::path& lockFile);

    bool locked() const { return locked_; }

  private:
    FileDescriptor fd_;  // closing it releases the lock
    bool locked_ = false;
};

}  // namespace mirabel
