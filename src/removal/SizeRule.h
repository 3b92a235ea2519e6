#pragma once
// Auto-Delete By Size: when the image store runs short of room, the oldest archived studies go
// first, until the free space plus the room the selected studies take up reaches the goal.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/ArchiverConfig.h"
#include "removal/DeletionCandidates.h"

namespace mirabel {

inline constexpr std::uint64_t kBytesPerGigabyte = std::uint64_t{1} << 30;

// The goal in bytes that the rule's text sets: a plain number of gigabytes of 2^30 bytes
// (digits with at most one decimal point, blanks around them allowed). nullopt, with refusal
// saying why (the error-log text), for any other text, for a goal larger than the whole file
// system of the image store, and when that file system cannot be queried.
std::optional<std::uint64_t> SizeGoalBytes(const ArchiverConfig& config,
                                           const std::string& gigabytesText, std::string& refusal);

// The bytes of the files the study's "cv.dir" names, and of "cv.dir" itself; 0 when the list
// cannot be read. Only regular files count; a name reached through a link counts nothing.
std::uint64_t ListedStudyBytes(const std::filesystem::path& studyDir);
// The same for a candidate's folder (its image path) below the image root; 0 when the image path
// is refused.
std::uint64_t CandidateBytes(const ArchiverConfig& config, std::string_view imagePath);

// Bytes in gigabytes of 2^30 bytes with that many decimals, rounded half up ("58.90"), worked
// out in whole numbers so that neither the locale nor a double's precision changes the text.
std::string GigabytesText(std::uint64_t bytes, int decimals);

// Marks server candidates, oldest exam first, until the free space of the file system of the
// image root plus the bytes of every selected candidate reaches the goal. Studies that other
// rules selected count first. False, with nothing marked, when the free space cannot be read
// (the error log says so).
bool MarkBySize(DeletionCandidates& candidates, const ArchiverConfig& config,
                std::uint64_t goalBytes);

// "Image store: 12.34 GB free of 58.90 GB", or why the room of the image store is unknown.
std::string ImageStoreSpaceText(const ArchiverConfig& config);

}  // namespace mirabel
