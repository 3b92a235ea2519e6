#pragma once
// Local study folders. The image system stores paths with Windows separators
// ("\2004\0117\ST01"); on the local file system they use the native separator.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace mirabel {

// Replaces every `find` in `text` by `replacement`, in place.
void ReplaceChar(std::string& text, char find, char replacement);

// The path with both separators turned into the native one.
std::string ToNativeSeparators(std::string path);

// The study folder: image root + image path (one leading separator of the image path
// dropped). nullopt when either is empty, or when the image path is absolute or climbs out of
// the root with "..": nothing outside the image root is touched.
[[nodiscard]] std::optional<std::filesystem::path> LocalStudyDirectory(const std::string& imageRoot,
                                                                       std::string_view imagePath);

// The first folder on the way from the image root to the study folder (the study folder
// included, the root itself not) that is a symbolic link; nullopt when there is none, or when
// LocalStudyDirectory refuses the path. Such a link could lead the copy, and later the
// removal, out of the image store.
[[nodiscard]] std::optional<std::filesystem::path> LinkOnTheWayToStudy(const std::string& imageRoot,
                                                                       std::string_view imagePath);

}  // namespace mirabel
