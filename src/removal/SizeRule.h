#pragma once
// Auto-Delete By Size: when the image store runs short of room, the oldest archived studies go
// first, until the free space plus the room the selected studies take up reaches the limit.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "core/ArchiverConfig.h"

namespace mirabel {

inline constexpr std::uint64_t kBytesPerGigabyte = std::uint64_t{1} << 30;

// The limit in bytes: the leading decimal number of the text ("12.5 GB" is 12.5), in GB of
// 2^30 bytes. nullopt when the text has no leading number or the number is not above 0.
std::optional<std::uint64_t> SizeLimitBytes(const std::string& gigabytesText);

// The bytes of the files the study's "cv.dir" names, and of "cv.dir" itself; 0 when the list
// cannot be read. Only regular files count; a name reached through a link counts nothing.
std::uint64_t ListedStudyBytes(const std::filesystem::path& studyDir);

// Marks server candidates, oldest exam first, until the free space of the file system of the
// image root plus the bytes of every selected candidate reaches the limit. Studies that other
// rules selected count first. Nothing is marked when there is no limit; a free space that
// cannot be read is written to the error log and nothing is marked.
void MarkBySize(const ArchiverConfig& config, const std::string& gigabytesText);

}  // namespace mirabel
