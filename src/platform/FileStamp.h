#pragma once
// What tells one version of a file from another without reading it: a file replaced by rename
// has another inode, one rewritten in place another size or modification time.
#include <cstdint>
#include <filesystem>
#include <optional>

namespace mirabel {

struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file as it is now; nullopt when there is no file (or it cannot be queried).
std::optional<FileStamp> StampOf(const std::filesystem::path& file);

}  // namespace mirabel
