#pragma once
// Whole-file copy for the file-system destinations (hard drive, network folder, medium).
#include <filesystem>
#include <string>

#include "platform/HashQueue.h"

namespace mirabel {

// Names that a copy in the making has in its destination folder: the prefix and six more
// characters.
inline constexpr const char* kUnfinishedCopyPrefix = ".mirabel-";

// Copies the regular file `from` to `to`. The bytes go to a new file in the folder of `to`
// (the kernel moves them where it can, copy_file_range; otherwise through a 1 MiB buffer),
// which takes the permission bits of `from` and is then renamed over `to`: a file already at
// `to` stays whole until the copy is complete, and a link at `to` is replaced, never followed.
// Returns false and fills `error`, leaving `to` as it was, when the source is a link or not a
// regular file, when `to` is a folder, a FIFO or device, or the source itself, or when the
// copy cannot be written or stops early.
// With a hashing queue, the bytes go through the program instead of the kernel, and every byte
// copied is hashed on its way (the checksum of what was read from the original, for the
// catalog), as bytes of the file the queue last started (HashQueue::StartFile).
[[nodiscard]] bool CopyFileReplacing(const std::filesystem::path& from,
                                     const std::filesystem::path& to, std::string& error,
                                     HashQueue* hashing = nullptr);

// Removes what copies that never finished (the program was killed) left in the folder, so
// that they are not taken for files of the study.
void RemoveUnfinishedCopies(const std::filesystem::path& folder);

}  // namespace mirabel
