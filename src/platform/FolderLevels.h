#pragma once
// Making the folders a file is to be written into, below a root that must not be left: each
// level is opened without following a link, so a link swapped in anywhere on the way ends the
// walk instead of leading it out of the root.
#include <filesystem>
#include <string>

namespace mirabel {

// Creates every missing folder from root down to folder (which must lie below root, with no
// ".."), each with the usual mode (0777 less the umask), and flushes the entry of each new one
// onto the storage. True when folder then exists below root, reached without a link; false
// with why (and the path) otherwise.
[[nodiscard]] bool CreateFolderLevels(const std::filesystem::path& root,
                                      const std::filesystem::path& folder, std::string& why);

}  // namespace mirabel
