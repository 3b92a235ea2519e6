#pragma once
// The proof that an archive run or a deletion pass is in progress: while a marker lives, the
// flag it was made from reads true and it holds the start directory's run lock, so that no
// other process runs there meanwhile. The operations that need a run of their own take the
// marker as an argument. Only the main window's core makes them.
#include <utility>

#include "platform/ExclusiveFileLock.h"

namespace mirabel {

class RunMarker {
  public:
    RunMarker(RunMarker&& other) noexcept
        : inProgress_(std::exchange(other.inProgress_, nullptr)), lock_(std::move(other.lock_)) {}
    RunMarker& operator=(RunMarker&&) = delete;
    RunMarker(const RunMarker&) = delete;
    RunMarker& operator=(const RunMarker&) = delete;
    ~RunMarker() {
        if (inProgress_) *inProgress_ = false;
    }

  private:
    friend class ArchiverCore;
    RunMarker(bool& inProgress, ExclusiveFileLock lock)
        : inProgress_(&inProgress), lock_(std::move(lock)) {
        inProgress = true;
    }

    bool* inProgress_;
    ExclusiveFileLock lock_;
};

}  // namespace mirabel
