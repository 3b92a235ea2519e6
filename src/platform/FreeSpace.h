#pragma once
// Free space of the file system that holds a folder.
#include <cstdint>
#include <filesystem>
#include <optional>

namespace mirabel {

// The room of a file system (64-bit: media and disks are larger than 4 GB).
struct FileSystemSpace {
    std::uint64_t freeBytes = 0;   // what the calling user may still write
    std::uint64_t totalBytes = 0;  // the size of the whole file system
};

// The room of the file system below `folder`; nullopt when the folder cannot be queried.
[[nodiscard]] std::optional<FileSystemSpace> SpaceOfFileSystem(const std::filesystem::path& folder);

// Bytes the calling user may still write below `folder`; nullopt when the folder cannot be
// queried.
[[nodiscard]] std::optional<std::uint64_t> FreeBytesAvailable(const std::filesystem::path& folder);

// Makes both answer `bytes` free (of `totalBytes` in all) for every folder until the object
// goes away, so that the rules that depend on free space can be tried without filling a disk
// (tests). nullopt: no folder can be queried.
class ScopedFreeBytes {
  public:
    explicit ScopedFreeBytes(std::optional<std::uint64_t> bytes,
                             std::uint64_t totalBytes = UINT64_MAX);
    ~ScopedFreeBytes();
    ScopedFreeBytes(const ScopedFreeBytes&) = delete;
    ScopedFreeBytes& operator=(const ScopedFreeBytes&) = delete;

  private:
    bool wasSet_;
    std::optional<FileSystemSpace> previous_;
};

}  // namespace mirabel
