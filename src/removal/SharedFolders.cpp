#include "removal/SharedFolders.h"

#include <limits>
#include <vector>

#include "core/Text.h"
#include "db/ImageDatabase.h"

namespace mirabel {

std::string FolderKey(std::string_view imagePath) {
    std::vector<std::string_view> levels;
    std::size_t start = 0;
    while (start <= imagePath.size()) {
        std::size_t end = imagePath.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = imagePath.size();
        const std::string_view level = imagePath.substr(start, end - start);
        if (level == "..") {
            if (!levels.empty()) levels.pop_back();
        } else if (!level.empty() && level != ".") {
            levels.push_back(level);
        }
        start = end + 1;
    }
    std::string key;
    for (std::string_view level : levels) {
        key += '\\';
        for (char c : level) key += AsciiLower(c);
    }
    return key;
}

std::unordered_map<std::string, std::string> FindSharedFolders(
    const ArchiverConfig& config, const DeletionCandidates& candidates) {
    // The selected studies by folder.
    std::unordered_map<std::string, std::string_view> selected;
    std::unordered_map<std::string, std::string> shared;
    for (const CandidateList* list : {&candidates.server, &candidates.temp})
        for (const Candidate& candidate : *list) {
            if (!candidate.m_bSelected) continue;
            const auto [first, added] =
                selected.emplace(FolderKey(candidate.ImagePath()), candidate.ExamId());
            // Two selected studies in one folder: the rows read below name only the first.
            if (!added) shared.emplace(candidate.ExamId(), first->second);
        }
    if (selected.empty()) return shared;
    ForEachImageRow(config, "SELECT EXAM.EXAM_ID, EXAM.IMAGE_PATH FROM EXAM",
                    {"EXAM_ID", "IMAGE_PATH"}, std::numeric_limits<int>::max(),
                    [&](std::vector<std::string>& row) {
                        if (row[1].empty()) return;
                        const auto found = selected.find(FolderKey(row[1]));
                        if (found != selected.end() && found->second != row[0])
                            shared.emplace(found->second, row[0]);
                    });
    return shared;
}

}  // namespace mirabel
