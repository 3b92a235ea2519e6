#include "removal/StudyProbe.h"

#include <utility>

#include "archive/StudyFiles.h"

namespace mirabel {

std::optional<StudyProbe> StudyProbe::Make(const FolderEntries& folder, const std::string& examId,
                                           std::string& why) {
    std::string name = kRemovalProbePrefix + examId;
    if (folder.HasLeaf(name)) (void)folder.RemoveLeaf(name);
    if (!folder.CreateEmptyFile(name, why)) return std::nullopt;
    return StudyProbe(folder, std::move(name));
}

StudyProbe::StudyProbe(StudyProbe&& other) noexcept
    : folder_(std::exchange(other.folder_, nullptr)), name_(std::move(other.name_)) {}

StudyProbe::~StudyProbe() {
    if (folder_) (void)folder_->RemoveLeaf(name_);
}

}  // namespace mirabel
