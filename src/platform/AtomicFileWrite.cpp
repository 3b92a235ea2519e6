#include "platform/AtomicFileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <string>

#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"
#include "platform/SystemCalls.h"

namespace mirabel {

namespace {

void SetPermissions(const std::filesystem::path& file, int fd, unsigned newFilePermissions) {
    struct stat existing {};
    const bool replacing = sys::StatAt(AT_FDCWD, file.c_str(), existing, AT_SYMLINK_NOFOLLOW) &&
                           S_ISREG(existing.st_mode);
    // Where the mode cannot be set (a FAT medium) the temporary file keeps mkostemp's
    // owner-only mode, the safe side for what it holds.
    (void)sys::Chmod(fd, replacing ? existing.st_mode & 07777 : newFilePermissions);
}

// The rename itself is only durable once the folder's entry is on disk too.
void SyncFolder(const std::filesystem::path& folder) {
    const SystemResult<FileDescriptor> fd =
        FileDescriptor::Open(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY);
    // The new contents are in place already; a folder that cannot be synced only leaves the
    // rename to the kernel's own write-back.
    if (fd) (void)sys::Fsync(fd->Get());
}

// The bytes into the temporary file, on the storage, and the file renamed over `file`.
SystemResult<> Replace(FileDescriptor& fd, const std::string& temporary,
                       const std::filesystem::path& file, std::string_view bytes) {
    if (SystemResult<> written = WriteAll(fd.Get(), bytes); !written) return written;
    if (SystemResult<> synced = sys::Fsync(fd.Get()); !synced) return synced;
    if (SystemResult<> closed = fd.Close(); !closed) return closed;
    return sys::Rename(temporary.c_str(), file.c_str());
}

}  // namespace

SystemResult<> WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                                   unsigned newFilePermissions) {
    std::string temporary = file.string() + ".XXXXXX";
    const SystemResult<int> made = sys::MakeTemporaryFile(temporary);
    if (!made) return made.error();
    FileDescriptor fd(*made);
    SetPermissions(file, fd.Get(), newFilePermissions);
    const SystemResult<> replaced = Replace(fd, temporary, file, bytes);
    if (!replaced) {
        (void)sys::UnlinkAt(AT_FDCWD, temporary.c_str());
        return replaced;
    }
    SyncFolder(file.parent_path());
    return replaced;
}

}  // namespace mirabel
