#include "removal/StudyFilesRemoval.h"

namespace mirabel {

std::string HiddenNameOf(const std::string& examId, std::size_t k) {
    return ".mirabel-removing-" + examId + "-" + std::to_string(k);
}

namespace {

// Gives the first `count` files their names back, the last first; false, with why, when one
// cannot have it.
bool UnhideFirst(const FolderEntries& folder, const std::vector<FileGoing>& files,
                 std::size_t count, std::string& why) {
    bool whole = true;
    while (count-- > 0) {
        std::string back;
        if (folder.Unhide(files[count].entry, files[count].hidden, back)) continue;
        why += (why.empty() ? "" : "; and ") + std::string("cannot be renamed back: ") + back;
        whole = false;
    }
    return whole;
}

}  // namespace

HideResult HideAll(const FolderEntries& folder, const std::vector<FileGoing>& files,
                   std::string& why) {
    std::size_t hidden = 0;
    for (; hidden < files.size(); ++hidden)
        if (!folder.Hide(files[hidden].entry, files[hidden].hidden, why)) break;
    if (hidden == files.size()) return HideResult::AllHidden;
    return UnhideFirst(folder, files, hidden, why) ? HideResult::LeftWhole : HideResult::Stranded;
}

bool UnhideAll(const FolderEntries& folder, const std::vector<FileGoing>& files, std::string& why) {
    return UnhideFirst(folder, files, files.size(), why);
}

HiddenRemoval::HiddenRemoval(const FolderEntries& folder, std::vector<std::string> hidden,
                             WorkerThreads& workers)
    : folder_(folder),
      hidden_(std::move(hidden)),
      outcomes_(hidden_.size()),
      workers_(workers),
      task_([this](std::size_t i) { outcomes_[i] = folder_.RemoveLeaf(hidden_[i]); }) {
    workers_.Begin(hidden_.size(), task_);
}

HiddenRemoval::~HiddenRemoval() {
    if (finished_) return;
    try {
        workers_.Finish();
    } catch (...) {
        // Nothing may leave a destructor; a file that did not go stays in the journal.
    }
}

std::string HiddenRemoval::Finish(const std::function<void(std::size_t)>& progress) {
    finished_ = true;
    workers_.Finish();
    std::string firstFailure;
    for (std::size_t k = 0; k < outcomes_.size(); ++k) {
        if (outcomes_[k].result != RemovalResult::Removed && firstFailure.empty())
            firstFailure = outcomes_[k].reason;
        progress(k);
    }
    return firstFailure;
}

std::string RemoveHidden(const FolderEntries& folder, const std::vector<std::string>& hidden,
                         WorkerThreads& workers, const std::function<void(std::size_t)>& progress) {
    return HiddenRemoval(folder, hidden, workers).Finish(progress);
}

}  // namespace mirabel
