#pragma once
// Making a copy durable before it is trusted, without making anyone else's writes wait.
#include <filesystem>

namespace mirabel {

// Forces the copy in `folder` onto its storage (a removable medium is written lazily, and may
// be taken out as soon as the run says so): the data of every regular file in the folder, the
// folder itself, and each folder above it up to and including `root` (their entries name the
// folders made for the copy). Nothing else on the file system is flushed: the image system
// writing beside the copy is not held up. Then the files' cached pages are dropped so that a
// read-back comes from the storage, not from memory. Links and special files in the folder are
// neither followed nor opened. False when the folder cannot be read, a file cannot be opened,
// or the storage reports a write error.
[[nodiscard]] bool FlushFolderToStorage(const std::filesystem::path& folder,
                                        const std::filesystem::path& root);

}  // namespace mirabel
