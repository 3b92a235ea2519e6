#pragma once
// "archives.p", the destination list: text, one value per line, a type line per record
// followed by that type's value lines, ended by a line "END". Written with LF line ends; read
// with LF or CR LF. Passwords are stored in plain text; ids are not stored but rebuilt.
#include <string>

namespace mirabel {

inline constexpr const char* kArchiveListFile = "archives.p";

// Appends the destinations of the file at path to g_Archives, in file order. Reading stops at
// "END" or at the end of the file. A type line other than "FTP", "NFS" and "CORVA" is read as
// removable media and keeps its text as the type. False when the file cannot be opened (the
// list is then unchanged).
[[nodiscard]] bool ReadArchiveList(const std::string& path);

// Writes g_Archives to path, replacing the file atomically, with "END" last. Unknown types are
// written back unchanged with the removable-media value lines. A new file is readable by its
// owner only (it holds passwords). False when the file cannot be written; it is then as it was.
[[nodiscard]] bool WriteArchiveList(const std::string& path);

}  // namespace mirabel
