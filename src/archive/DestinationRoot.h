#pragma once
// The root folder of a file-system destination (a hard-drive or network folder, a removable
// medium): the folder that "images", "DICOMDIR" and the label file are placed in.
#include <filesystem>
#include <string>

namespace mirabel {

inline constexpr char kNativeSeparator =
    static_cast<char>(std::filesystem::path::preferred_separator);

// The stored root path with `separator` as its only separator. With Windows separators a root
// ending in ":" ("E:") gets a "\" appended: "E:" names the current folder of drive E, so
// "images" joined to it would land wherever that is instead of at the medium's root.
std::string DestinationRootFolder(std::string rootPath, char separator = kNativeSeparator);

}  // namespace mirabel
