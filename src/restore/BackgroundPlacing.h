#pragma once
// Putting studies' files in place while the next studies are written. What a study waits for
// most is the storage: its files flushed, renamed and its folder flushed, each a commit of the
// file system's journal. Placed together, a few studies share each of those commits; placed on
// a thread of its own, their wait overlaps the reading, checking and writing of the next ones,
// as a plain copy that is flushed once at the end overlaps everything. One group at a time: the
// next is handed over only once the one before is in place, and within a group every study
// takes each step (cv.dir only once the others are durable) before any takes the next.
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "restore/StudyRestore.h"

namespace mirabel {

using StudyGroup = std::vector<StudyInHand>;

class BackgroundPlacing {
  public:
    // True when a study being placed has its files in that folder.
    bool IsPlacing(const std::filesystem::path& folder) const;

    // Waits for the group being placed, then starts placing `next` (its studies that have files
    // to place). The group that was placed, each study's problem set when its files could not
    // be put in place; empty when there was none.
    StudyGroup Swap(StudyGroup next);

    // Waits for the group being placed; as Swap, handing over nothing.
    StudyGroup Wait();

  private:
    StudyGroup group_;
    // Declared after the group it places: a placing still running when this goes is waited for
    // (the future's end) before the group's files are destroyed.
    std::future<void> placed_;
};

// True when a study of the group has files of its own to place in that folder. Folders are
// compared without regard to case: on a file system that ignores it (a Windows share), two rows
// spelling one folder differently must not write into it side by side.
bool HasFilesFor(const StudyGroup& group, const std::filesystem::path& folder);

// The steps of putting the group's files in place, each step for every study before the next.
// A study that fails a step takes no further step; the others go on.
void PlaceTogether(StudyGroup& group);

}  // namespace mirabel
