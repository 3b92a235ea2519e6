#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/SystemCalls.h"

namespace mirabel {

namespace {

EntryKind KindOf(const struct stat& info) {
    if (S_ISREG(info.st_mode)) return EntryKind::RegularFile;
    if (S_ISDIR(info.st_mode)) return EntryKind::Folder;
    if (S_ISLNK(info.st_mode)) return EntryKind::Link;
    return EntryKind::Special;
}

EntryKind KindOfEntryAt(int folder, const char* name) {
    struct stat info {};
    const SystemResult<> stated = sys::StatAt(folder, name, info, AT_SYMLINK_NOFOLLOW);
    if (stated) return KindOf(info);
    const int code = stated.error().code;
    return code == ENOENT || code == ENOTDIR ? EntryKind::Missing : EntryKind::Unknown;
}

std::optional<RegularFile> Refuse(std::string& error, const std::string& reason) {
    error = reason;
    return std::nullopt;
}

// Why a path that is not a regular file cannot be created as one.
SystemError Unfit(EntryKind kind) {
    if (kind == EntryKind::Link) return SystemError{ELOOP};
    if (kind == EntryKind::Folder) return SystemError{EISDIR};
    return SystemError{EINVAL};
}

}  // namespace

EntryKind KindOfEntry(const std::filesystem::path& path) {
    return KindOfEntryAt(AT_FDCWD, path.c_str());
}

std::optional<RegularFile> OpenRegularFile(const std::filesystem::path& path, std::string& error) {
    return OpenRegularFileAt(AT_FDCWD, path.string(), error);
}

std::optional<RegularFile> OpenRegularFileAt(int folder, const std::string& name,
                                             std::string& error) {
    // Looked at before opening: opening a device can act on it (a tape rewinds).
    const EntryKind kind = KindOfEntryAt(folder, name.c_str());
    if (kind == EntryKind::Link) return Refuse(error, name + " is a link");
    if (kind == EntryKind::Folder || kind == EntryKind::Special)
        return Refuse(error, name + " is not a regular file");
    // O_NOFOLLOW and O_NONBLOCK hold if the entry was swapped since: a link fails to open, and
    // a FIFO opens at once and is refused below. Reading a regular file ignores O_NONBLOCK.
    SystemResult<FileDescriptor> opened =
        FileDescriptor::OpenAt(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    struct stat info {};
    const SystemResult<> stated = opened ? sys::Fstat(opened->Get(), info) : opened.error();
    if (!stated) return Refuse(error, "cannot open " + name + ": " + stated.error().Text());
    if (!S_ISREG(info.st_mode)) return Refuse(error, name + " is not a regular file");
    RegularFile file;
    file.fd = std::move(*opened);
    file.size = static_cast<std::uint64_t>(info.st_size);
    file.permissions = info.st_mode & 0777;
    file.device = info.st_dev;
    file.inode = info.st_ino;
    return file;
}

SystemResult<FileDescriptor> CreateRegularFile(const std::filesystem::path& path) {
    const EntryKind kind = KindOfEntry(path);
    if (kind != EntryKind::Missing && kind != EntryKind::RegularFile) return Unfit(kind);
    // Emptied only once it is known to be a regular file: O_TRUNC would act before the check.
    SystemResult<FileDescriptor> fd =
        FileDescriptor::Open(path, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK);
    if (!fd) return fd;
    struct stat info {};
    if (const SystemResult<> stated = sys::Fstat(fd->Get(), info); !stated) return stated.error();
    if (!S_ISREG(info.st_mode)) return SystemError{EINVAL};
    if (const SystemResult<> emptied = sys::Truncate(fd->Get(), 0); !emptied)
        return emptied.error();
    return fd;
}

}  // namespace mirabel
