#pragma once
// Free space of the file system that holds a folder.
#include <cstdint>
#include <filesystem>
#include <optional>

namespace mirabel {

// Bytes the calling user may still write below `folder` (64-bit: media and disks are larger
// than 4 GB); nullopt when the folder cannot be queried.
[[nodiscard]] std::optional<std::uint64_t> FreeBytesAvailable(const std::filesystem::path& folder);

// Makes FreeBytesAvailable answer `bytes` for every folder until the object goes away, so that
// the rules that depend on free space can be tried without filling a disk (tests).
class ScopedFreeBytes {
  public:
    explicit ScopedFreeBytes(std::optional<std::uint64_t> bytes);
    ~ScopedFreeBytes();
    ScopedFreeBytes(const ScopedFreeBytes&) = delete;
    ScopedFreeBytes& operator=(const ScopedFreeBytes&) = delete;

  private:
    bool wasSet_;
    std::optional<std::uint64_t> previous_;
};

}  // namespace mirabel
