#pragma once
// The file attributes a transfer touches on the local study files. Windows has a read-only and
// an archive attribute; on Linux "read-only" means the owner may not write, and there is no
// archive attribute.
#include <filesystem>
#include <string>

namespace mirabel {

// True when a regular file (not a link) is at the path and its owner may not write it.
bool IsReadOnly(const std::filesystem::path& file);

// After a file was transferred: a read-only file becomes readable and writable for its owner,
// and the archive attribute is cleared (nothing to do on Linux). A link is left alone, and so
// is what it points at. Returns false and fills `error` when the attributes cannot be changed.
[[nodiscard]] bool ResetTransferredFileAttributes(const std::filesystem::path& file,
                                                  std::string& error);

}  // namespace mirabel
