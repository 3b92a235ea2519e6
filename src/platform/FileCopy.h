#pragma once
// Whole-file copy for the file-system destinations (hard drive, network folder, medium).
#include <filesystem>
#include <string>

namespace mirabel {

// Copies the regular file `from` to `to`, replacing what `to` held. The kernel moves the
// bytes where it can (copy_file_range); otherwise they go through a 1 MiB buffer.
// Returns false and fills `error` when the source cannot be read, the destination cannot be
// written, or the copy stops early; a partly written destination is left for the next
// attempt to overwrite.
[[nodiscard]] bool CopyFileReplacing(const std::filesystem::path& from,
                                     const std::filesystem::path& to, std::string& error);

}  // namespace mirabel
