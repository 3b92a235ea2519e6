#pragma once
// The proof that an archive run or a deletion pass is in progress: while a marker lives, the
// flag it was made from reads true, and the operations that need a run of their own take the
// marker as an argument. Only the main window's core makes them.
namespace mirabel {

class RunMarker {
  public:
    RunMarker(RunMarker&& other) noexcept : inProgress_(other.inProgress_) {
        other.inProgress_ = nullptr;
    }
    RunMarker& operator=(RunMarker&&) = delete;
    RunMarker(const RunMarker&) = delete;
    RunMarker& operator=(const RunMarker&) = delete;
    ~RunMarker() {
        if (inProgress_) *inProgress_ = false;
    }

  private:
    friend class ArchiverCore;
    explicit RunMarker(bool& inProgress) : inProgress_(&inProgress) { inProgress = true; }

    bool* inProgress_;
};

}  // namespace mirabel
