#pragma once
// Local study folders. The image system stores paths with Windows separators
// ("\2004\0117\ST01"); on the local file system they use the native separator.
#include <filesystem>
#include <optional>
#include <string>

namespace mirabel {

// Replaces every `find` in `text` by `replacement`, in place.
void ReplaceChar(std::string& text, char find, char replacement);

// The path with both separators turned into the native one.
std::string ToNativeSeparators(std::string path);

// The study folder: image root + image path (one leading separator of the image path
// dropped). nullopt when either is empty, or when the image path is absolute or climbs out of
// the root with "..": nothing outside the image root is touched.
[[nodiscard]] std::optional<std::filesystem::path> LocalStudyDirectory(
    const std::string& imageRoot, const std::string& imagePath);

}  // namespace mirabel
