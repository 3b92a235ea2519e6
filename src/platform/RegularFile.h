#pragma once
// Opening the files of a study, at the image store or on a destination, so that a path never
// leads anywhere else: a symbolic link is not followed, and a FIFO, socket or device is neither
// opened (which could wait for ever, or act on a device) nor read.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/FileDescriptor.h"

namespace mirabel {

struct RegularFile {
    FileDescriptor fd;         // open for reading
    std::uint64_t size = 0;    // bytes
    unsigned permissions = 0;  // the rwx bits of owner, group and others
    std::uint64_t device = 0;  // with inode: which file it is, whatever path led to it
    std::uint64_t inode = 0;
};

// The regular file at `path`, opened for reading. nullopt, with the reason in `error`, when
// the path is missing, is a link, or is anything but a regular file.
[[nodiscard]] std::optional<RegularFile> OpenRegularFile(const std::filesystem::path& path,
                                                         std::string& error);
// The same for a name relative to an open folder (AT_FDCWD: the current directory).
[[nodiscard]] std::optional<RegularFile> OpenRegularFileAt(int folder, const std::string& name,
                                                           std::string& error);

// Creates the file, or empties the regular file at `path`, open for writing; a new file gets
// the usual mode (0666 less the umask). Nothing is opened when the path is a link (ELOOP), a
// folder (EISDIR), a FIFO or a device (EINVAL), or when the file cannot be created.
SystemResult<FileDescriptor> CreateRegularFile(const std::filesystem::path& path);

// What is at `path` itself, a link not followed.
enum class EntryKind { Missing, RegularFile, Folder, Link, Special, Unknown };
EntryKind KindOfEntry(const std::filesystem::path& path);

}  // namespace mirabel
