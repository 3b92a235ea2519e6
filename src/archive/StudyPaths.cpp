#include "archive/StudyPaths.h"

#include <algorithm>

namespace mirabel {

namespace fs = std::filesystem;

void ReplaceChar(std::string& text, char find, char replacement) {
    std::replace(text.begin(), text.end(), find, replacement);
}

std::string ToNativeSeparators(std::string path) {
    const char native = static_cast<char>(fs::path::preferred_separator);
    ReplaceChar(path, native == '/' ? '\\' : '/', native);
    return path;
}

std::optional<fs::path> LocalStudyDirectory(const std::string& imageRoot,
                                            std::string_view imagePath) {
    if (imageRoot.empty() || imagePath.empty()) return std::nullopt;
    std::string relative = ToNativeSeparators(std::string(imagePath));
    if (relative.front() == fs::path::preferred_separator) relative.erase(0, 1);
    const fs::path study(relative);
    if (study.has_root_path()) return std::nullopt;
    // A study folder lies below the root: at least one real level, and none that steps
    // back up or stays in place (the root itself would be sent, and later removed, as a study).
    int levels = 0;
    for (const fs::path& part : study) {
        if (part == ".." || part == ".") return std::nullopt;
        if (!part.empty()) ++levels;
    }
    if (levels == 0) return std::nullopt;
    return fs::path(ToNativeSeparators(imageRoot)) / study;
}

std::optional<fs::path> LinkOnTheWayToStudy(const std::string& imageRoot,
                                            std::string_view imagePath) {
    const std::optional<fs::path> study = LocalStudyDirectory(imageRoot, imagePath);
    if (!study) return std::nullopt;
    fs::path level(ToNativeSeparators(imageRoot));
    for (const fs::path& part : study->lexically_relative(level)) {
        level /= part;
        std::error_code ec;
        if (fs::is_symlink(level, ec)) return level;
    }
    return std::nullopt;
}

}  // namespace mirabel
