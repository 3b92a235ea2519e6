#include "removal/SharedFolders.h"

#include <climits>
#include <vector>

#include "core/Text.h"
#include "db/ImageDatabase.h"

namespace mirabel {

namespace {

// A level as the image system's own file system takes it: trailing dots and blanks do not count.
std::string_view TrimmedLevel(std::string_view level) {
    while (!level.empty() && (level.back() == '.' || level.back() == ' ')) level.remove_suffix(1);
    return level;
}

// The selected studies by their folder and by each folder above theirs.
struct SelectedFolders {
    std::unordered_map<std::string, std::string_view> own;
    std::unordered_map<std::string, std::vector<std::string_view>> above;
};

}  // namespace

std::string FolderKey(std::string_view imagePath) {
    std::vector<std::string_view> levels;
    std::size_t start = 0;
    while (start <= imagePath.size()) {
        std::size_t end = imagePath.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = imagePath.size();
        const std::string_view level = imagePath.substr(start, end - start);
        if (level == "..") {
            if (!levels.empty()) levels.pop_back();
        } else if (level != "." && !TrimmedLevel(level).empty()) {
            levels.push_back(TrimmedLevel(level));
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
    SelectedFolders selected;
    std::unordered_map<std::string, std::string> shared;
    ForEachCandidate(candidates, [&](const Candidate& candidate, bool) {
        if (!candidate.m_bSelected) return;
        const std::string key = FolderKey(candidate.ImagePath());
        const auto [first, added] = selected.own.emplace(key, candidate.ExamId());
        // Two selected studies in one folder: the rows read below name only the first.
        if (!added)
            shared.emplace(candidate.ExamId(),
                           Concat({"the exam ", first->second, " names its folder too"}));
        for (std::size_t cut = key.rfind('\\'); cut != 0 && cut != std::string::npos;
             cut = key.rfind('\\', cut - 1))
            selected.above[key.substr(0, cut)].push_back(candidate.ExamId());
    });
    if (selected.own.empty()) return shared;
    ForEachImageRow(
        config, "SELECT EXAM.EXAM_ID, EXAM.IMAGE_PATH FROM EXAM", {"EXAM_ID", "IMAGE_PATH"},
        INT_MAX, [&](std::vector<std::string>& row) {
            const std::string key = FolderKey(row[1]);
            if (key.empty()) return;
            const auto same = selected.own.find(key);
            if (same != selected.own.end() && same->second != row[0])
                shared.emplace(same->second, "the exam " + row[0] + " names its folder too");
            // The list of an exam whose folder holds the study's may name the study's files.
            const auto above = selected.above.find(key);
            if (above == selected.above.end()) return;
            for (std::string_view examId : above->second)
                shared.emplace(examId,
                               "the exam " + row[0] + " names the folder " + row[1] + " above it");
        });
    return shared;
}

}  // namespace mirabel
