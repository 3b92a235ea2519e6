#pragma once
// How the files of one study go, in two steps, so that a file that cannot go leaves the study
// whole: first every file is renamed, in list order, to a hidden name in its folder (a rename
// that fails puts the others back); only then are the hidden files removed, side by side.
#include <functional>
#include <string>
#include <vector>

#include "platform/FolderEntries.h"
#include "platform/WorkerThreads.h"

namespace mirabel {

// The hidden name of the kth listed file of a study while it goes.
std::string HiddenNameOf(const std::string& examId, std::size_t k);

struct FileGoing {
    CheckedEntry entry;
    std::string name;    // as listed
    std::string hidden;  // its name while it goes
};

enum class HideResult {
    AllHidden,  // every file has its hidden name
    LeftWhole,  // a rename failed and every file has its name again (why says which)
    Stranded,   // a rename failed and a file could not get its name back (why says which)
};

HideResult HideAll(const FolderEntries& folder, const std::vector<FileGoing>& files,
                   std::string& why);

// Removes the hidden files, a few at a time on the workers; progress(k) is called on this thread
// for each file done, in order. The reason of the first that could not be removed, or "" when
// all are gone.
std::string RemoveHidden(const FolderEntries& folder, const std::vector<std::string>& hidden,
                         WorkerThreads& workers, const std::function<void(std::size_t)>& progress);

}  // namespace mirabel
