#pragma once
// Verification of an archived study folder against the local one: same file names (ignoring
// case, as media often present names in upper case) and sizes, and the middle file in name
// order identical byte for byte. Used after copying a study to a file-system destination and
// before deleting a local study whose copy is checked. Every negative outcome is written to
// the error log with a line starting "Compare Directories: ".
#include <cstdint>
#include <string>
#include <vector>

#include "platform/RegularFile.h"

namespace mirabel {

struct CompareEntry {
    std::string name;  // lower case once inserted
    std::string path;
    std::uint64_t size = 0;
};

// Ascending by lower-case name; entries of equal name keep their insertion order.
using SortedFileList = std::vector<CompareEntry>;

// Lower-cases the entry's name and inserts it after every entry whose name is not greater.
void InsertSorted(SortedFileList& list, CompareEntry entry);

// True when both files can be opened and hold the same bytes. Logs why not otherwise. A read
// error throws std::runtime_error naming the file, for the caller's exception rule.
[[nodiscard]] bool CompareFiles(const std::string& localFile, const std::string& mediaFile);

// The same for two files already open (each named for the error message).
[[nodiscard]] bool CompareOpenFiles(const RegularFile& localFile, const std::string& localPath,
                                    const RegularFile& mediaFile, const std::string& mediaPath);

// True when the folder on the medium is a faithful copy of the local folder (either may use
// "\" or "/" separators). Two folders that both exist but hold no files count as equal. A read
// error throws, as in CompareFiles.
[[nodiscard]] bool CompareDirectories(const std::string& localDir, const std::string& mediaDir);

}  // namespace mirabel
