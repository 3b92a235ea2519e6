#pragma once
// Small text files whose first line is a value: "regkey.txt" in the start directory, the label
// file on a removable medium.
#include <filesystem>
#include <optional>
#include <string>

namespace mirabel {

// The file's first line without its line end (FirstLine); nullopt when the file cannot be
// opened. A file that opens but cannot be read (a folder) has an empty first line, as for a
// stream's getline.
// Only the first megabyte is looked at: such a line is never longer.
[[nodiscard]] std::optional<std::string> ReadFirstLine(const std::filesystem::path& file);

}  // namespace mirabel
