#include "platform/AtomicFileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/FileDescriptor.h"

namespace mirabel {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void KeepPermissionsOf(const std::filesystem::path& file, int fd,
                       std::filesystem::perms newFilePermissions) {
    struct stat existing {};
    if (::stat(file.c_str(), &existing) == 0)
        ::fchmod(fd, existing.st_mode & 07777);
    else
        ::fchmod(fd, static_cast<mode_t>(newFilePermissions));
}

// The rename itself is only durable once the folder's entry is on disk too.
void SyncFolder(const std::filesystem::path& folder) {
    const FileDescriptor fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (fd.IsValid()) ::fsync(fd.Get());
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                         std::filesystem::perms newFilePermissions) {
    std::string temporary = file.string() + ".XXXXXX";
    FileDescriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.IsValid()) return false;
    KeepPermissionsOf(file, fd.Get(), newFilePermissions);
    const bool replaced = WriteAll(fd.Get(), bytes) && ::fsync(fd.Get()) == 0 && fd.Close() &&
                          std::rename(temporary.c_str(), file.c_str()) == 0;
    if (!replaced) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(file.parent_path());
    return true;
}

}  // namespace mirabel
