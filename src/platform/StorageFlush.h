#pragma once
// Making a copy durable before it is trusted.
#include <filesystem>

namespace mirabel {

// Forces everything written to the file system that holds `folder` onto its storage (a
// removable medium is written lazily, and may be taken out as soon as the run says so), then
// drops the cached pages of the folder's files so that a read-back comes from the storage, not
// from memory. False when the folder cannot be opened or the storage reports a write error.
[[nodiscard]] bool FlushFolderToStorage(const std::filesystem::path& folder);

}  // namespace mirabel
