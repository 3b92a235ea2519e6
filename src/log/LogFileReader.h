#pragma once
// Reads a log for the viewer: the file in 1024-byte reads, each read's bytes up to its first
// NUL; a missing file reads as empty, one that cannot be read as one line saying why.
#include <cstdint>
#include <string>

namespace mirabel {

// The most of a log the viewer reads: logs are never trimmed, and reading one of hundreds of
// megabytes would hold the whole program (runs included) for many seconds and take as much
// memory again in the text control.
inline constexpr std::uint64_t kLogViewBytes = 4 * 1024 * 1024;

// A file longer than limit gives its newest whole lines within the last limit bytes, after a
// first line that says so (kEarlierEntriesNotShown and the file's size).
std::string ReadLogText(const std::string& fileName, std::uint64_t limit = kLogViewBytes);

inline constexpr const char* kLogCannotBeRead = "This log cannot be read:";
inline constexpr const char* kEarlierEntriesNotShown = "Earlier entries not shown: the file holds";

}  // namespace mirabel
