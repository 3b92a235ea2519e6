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
// Gives every hidden file its name back; false, with why, when one cannot have it.
bool UnhideAll(const FolderEntries& folder, const std::vector<FileGoing>& files, std::string& why);

// The hidden files of one study going side by side on the workers, while the caller goes on
// with other work (the next study's checks). Finish, or the destructor, waits for them.
class HiddenRemoval {
  public:
    // Starts removing; folder and workers must outlive this.
    HiddenRemoval(const FolderEntries& folder, std::vector<std::string> hidden,
                  WorkerThreads& workers);
    ~HiddenRemoval();
    HiddenRemoval(const HiddenRemoval&) = delete;
    HiddenRemoval& operator=(const HiddenRemoval&) = delete;

    // Takes part until every file is done; then progress(k) for each file in order. The reason
    // of the first that could not be removed, or "" when all are gone.
    std::string Finish(const std::function<void(std::size_t)>& progress);

  private:
    const FolderEntries& folder_;
    std::vector<std::string> hidden_;
    std::vector<RemovalOutcome> outcomes_;
    WorkerThreads& workers_;
    std::function<void(std::size_t)> task_;
    bool finished_ = false;
};

// The same, waited for at once.
std::string RemoveHidden(const FolderEntries& folder, const std::vector<std::string>& hidden,
                         WorkerThreads& workers, const std::function<void(std::size_t)>& progress);

}  // namespace mirabel
