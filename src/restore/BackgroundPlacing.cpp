#include "restore/BackgroundPlacing.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <system_error>

namespace mirabel {

namespace {

// The placing on a thread of its own; on this one, when no thread can be started.
std::future<void> StartPlacing(StudyGroup& group) {
    const auto place = [&group] { PlaceTogether(group); };
    try {
        return std::async(std::launch::async, place);
    } catch (const std::system_error&) {
        return std::async(std::launch::deferred, place);
    }
}

bool ToPlace(const StudyInHand& study) {
    return !study.Failed() && study.files;
}

}  // namespace

void PlaceTogether(StudyGroup& group) {
    for (const StudyFilesBack::Step step : kPlacingSteps)
        for (StudyInHand& study : group)
            if (ToPlace(study)) study.result.problem = (study.files.get()->*step)();
}

bool HasFilesFor(const StudyGroup& group, const std::filesystem::path& folder) {
    const std::string wanted = folder.string();
    const auto sameLetter = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    };
    for (const StudyInHand& study : group)
        if (study.files && std::ranges::equal(study.folder.string(), wanted, sameLetter))
            return true;
    return false;
}

bool BackgroundPlacing::IsPlacing(const std::filesystem::path& folder) const {
    return HasFilesFor(group_, folder);
}

StudyGroup BackgroundPlacing::Swap(StudyGroup next) {
    StudyGroup placed = Wait();
    group_ = std::move(next);
    for (const StudyInHand& study : group_)
        if (ToPlace(study)) {
            placed_ = StartPlacing(group_);
            break;
        }
    return placed;
}

StudyGroup BackgroundPlacing::Wait() {
    if (placed_.valid()) {
        try {
            placed_.get();
        } catch (const std::exception& failure) {
            // Not known how far it came: none of the group is taken for restored.
            for (StudyInHand& study : group_)
                if (ToPlace(study)) study.result.problem = failure.what();
        }
    }
    // Whatever stayed hidden goes now.
    for (StudyInHand& study : group_) study.files.reset();
    StudyGroup placed = std::move(group_);
    group_.clear();
    return placed;
}

}  // namespace mirabel
