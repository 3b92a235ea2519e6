#include "removal/StudyFilesRemoval.h"

#include <algorithm>

namespace mirabel {

namespace {

// At most this many files go between two calls of progress, which lets the windows live.
constexpr std::size_t kLargestRun = 64;

}  // namespace

std::string HiddenNameOf(const std::string& examId, std::size_t k) {
    return ".mirabel-removing-" + examId + "-" + std::to_string(k);
}

HideResult HideAll(const FolderEntries& folder, const std::vector<FileGoing>& files,
                   std::string& why) {
    std::size_t hidden = 0;
    for (; hidden < files.size(); ++hidden)
        if (!folder.Hide(files[hidden].entry, files[hidden].hidden, why)) break;
    if (hidden == files.size()) return HideResult::AllHidden;
    HideResult result = HideResult::LeftWhole;
    while (hidden-- > 0) {
        std::string back;
        if (!folder.Unhide(files[hidden].entry, files[hidden].hidden, back)) {
            why += "; and cannot be renamed back: " + back;
            result = HideResult::Stranded;
        }
    }
    return result;
}

std::string RemoveHidden(const FolderEntries& folder, const std::vector<std::string>& hidden,
                         WorkerThreads& workers, const std::function<void(std::size_t)>& progress) {
    std::vector<RemovalOutcome> outcomes;
    std::string firstFailure;
    for (std::size_t first = 0; first < hidden.size();) {
        const std::size_t count = std::min(kLargestRun, hidden.size() - first);
        outcomes.assign(count, RemovalOutcome());
        workers.ForEach(count,
                        [&](std::size_t i) { outcomes[i] = folder.RemoveLeaf(hidden[first + i]); });
        for (const RemovalOutcome& outcome : outcomes) {
            if (outcome.result != RemovalResult::Removed && firstFailure.empty())
                firstFailure = outcome.reason;
            progress(first++);
        }
    }
    return firstFailure;
}

}  // namespace mirabel
