#pragma once
// Putting a study's files in place while the next study is written. What a study waits for
// most is the storage: its files flushed, renamed and the folder flushed. On a thread of its own
// that wait overlaps the reading, checking and writing of the next study, as a plain copy that
// is flushed once at the end overlaps everything. One study at a time: the next is handed over
// only once the one before is in place, so the order of the steps within each study, and of
// the studies' rows, stays as if they ran one after the other.
#include <filesystem>
#include <future>
#include <optional>
#include <string>

#include "restore/StudyRestore.h"

namespace mirabel {

class BackgroundPlacing {
  public:
    // True when the study being placed has its files in that folder.
    bool IsPlacing(const std::filesystem::path& folder) const;

    // Waits for the study being placed, then starts placing `next` (when it has files to
    // place). The study that was placed, its problem set when its files could not be put in
    // place; nullopt when there was none.
    std::optional<StudyInHand> Swap(StudyInHand next);

    // Waits for the study being placed; as Swap, handing over nothing.
    std::optional<StudyInHand> Wait();

  private:
    std::optional<StudyInHand> inHand_;
    // Declared after the study it places: a placing still running when this goes is waited for
    // (the future's end) before its files are destroyed.
    std::future<std::string> placed_;
};

}  // namespace mirabel
