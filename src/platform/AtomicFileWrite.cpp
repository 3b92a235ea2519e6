#include "platform/AtomicFileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"
#include "platform/SystemCalls.h"

namespace mirabel {

namespace {

void SetPermissions(const std::filesystem::path& file, int fd, unsigned newFilePermissions) {
    struct stat existing {};
    const bool replacing = ::lstat(file.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    // Where the mode cannot be set (a FAT medium) the temporary file keeps mkostemp's
    // owner-only mode, the safe side for what it holds.
    (void)::fchmod(fd, replacing ? existing.st_mode & 07777 : newFilePermissions);
}

// The rename itself is only durable once the folder's entry is on disk too.
void SyncFolder(const std::filesystem::path& folder) {
    const FileDescriptor fd =
        FileDescriptor::Open(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY);
    // The new contents are in place already; a folder that cannot be synced only leaves the
    // rename to the kernel's own write-back.
    if (fd.IsValid()) (void)::fsync(fd.Get());
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                         unsigned newFilePermissions) {
    std::string temporary = file.string() + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.IsValid()) return false;
    SetPermissions(file, fd.Get(), newFilePermissions);
    const bool replaced = WriteAll(fd.Get(), bytes) && Fsync(fd.Get()) == 0 && fd.Close() &&
                          std::rename(temporary.c_str(), file.c_str()) == 0;
    if (!replaced) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(file.parent_path());
    return true;
}

}  // namespace mirabel
