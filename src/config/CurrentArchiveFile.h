#pragma once
// "Default.cfg" in the current directory: the id of the current archive destination as raw
// characters, with no line end and no terminator.
#include <cstddef>
#include <string>

namespace mirabel {

inline constexpr const char* kCurrentArchiveFile = "Default.cfg";
// Only this many leading bytes of the file are taken as the id.
inline constexpr std::size_t kCurrentArchiveIdMaxBytes = 256;

enum class CurrentArchiveFileResult {
    Read,     // the file existed; id holds its bytes when it had any
    Created,  // the file was missing and has been created empty; id is unchanged
    Failed,   // the file could neither be opened nor created; the program cannot go on
};

// Opens "Default.cfg" for reading and writing without creating it and sets id to its first
// kCurrentArchiveIdMaxBytes bytes, all of them, when at least one byte was read. When it
// cannot be opened, creates it empty.
[[nodiscard]] CurrentArchiveFileResult ReadOrCreateCurrentArchiveFile(std::string& id);

// Reads the id as above without opening the file for writing, for what only reads (the status
// report, which may run under an account that can read the start directory only). False when
// it cannot be read; nothing is created.
[[nodiscard]] bool ReadCurrentArchiveFileOnly(std::string& id);

// Replaces the whole content of an existing "Default.cfg" with the characters of id. A file
// that cannot be opened without creating it is left alone.
void WriteCurrentArchiveFile(const std::string& id);

}  // namespace mirabel
