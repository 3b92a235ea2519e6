#include "restore/BackgroundPlacing.h"

#include <exception>
#include <system_error>

namespace mirabel {

namespace {

// The placing on a thread of its own; on this one, when no thread can be started.
std::future<std::string> StartPlacing(StudyFilesBack& files) {
    const auto place = [&files] { return files.PutInPlace(); };
    try {
        return std::async(std::launch::async, place);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, place);
    }
}

}  // namespace

bool BackgroundPlacing::IsPlacing(const std::filesystem::path& folder) const {
    return inHand_ && inHand_->files && inHand_->folder == folder;
}

std::optional<StudyInHand> BackgroundPlacing::Swap(StudyInHand next) {
    std::optional<StudyInHand> placed = Wait();
    inHand_ = std::move(next);
    if (!inHand_->Failed() && inHand_->files) placed_ = StartPlacing(*inHand_->files);
    return placed;
}

std::optional<StudyInHand> BackgroundPlacing::Wait() {
    if (!inHand_) return std::nullopt;
    if (placed_.valid()) {
        try {
            inHand_->result.problem = placed_.get();
        } catch (const std::exception& failure) {
            inHand_->result.problem = failure.what();
        }
    }
    // Whatever stayed hidden goes now.
    inHand_->files.reset();
    std::optional<StudyInHand> placed = std::move(inHand_);
    inHand_.reset();
    return placed;
}

}  // namespace mirabel
