#pragma once
// Free space of the file system that holds a folder.
#include <cstdint>
#include <filesystem>
#include <optional>

namespace mirabel {

// Bytes the calling user may still write below `folder` (64-bit: media and disks are larger
// than 4 GB); nullopt when the folder cannot be queried.
[[nodiscard]] std::optional<std::uint64_t> FreeBytesAvailable(const std::filesystem::path& folder);

}  // namespace mirabel
