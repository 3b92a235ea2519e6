#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileIo.h"

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
    if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0) return KindOf(info);
    return errno == ENOENT || errno == ENOTDIR ? EntryKind::Missing : EntryKind::Unknown;
}

std::optional<RegularFile> Refuse(std::string& error, const std::string& reason) {
    error = reason;
    return std::nullopt;
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
    RegularFile file;
    file.fd = FileDescriptor(
        ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!file.fd.IsValid() || ::fstat(file.fd.Get(), &info) != 0)
        return Refuse(error, "cannot open " + name + ": " + LastSystemError());
    if (!S_ISREG(info.st_mode)) return Refuse(error, name + " is not a regular file");
    file.size = static_cast<std::uint64_t>(info.st_size);
    file.permissions = info.st_mode & 0777;
    file.device = info.st_dev;
    file.inode = info.st_ino;
    return file;
}

std::optional<FileDescriptor> CreateRegularFile(const std::filesystem::path& path) {
    const EntryKind kind = KindOfEntry(path);
    if (kind != EntryKind::Missing && kind != EntryKind::RegularFile) return std::nullopt;
    // Emptied only once it is known to be a regular file: O_TRUNC would act before the check.
    FileDescriptor fd = FileDescriptor::Open(path, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK);
    struct stat info {};
    if (!fd.IsValid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        ::ftruncate(fd.Get(), 0) != 0)
        return std::nullopt;
    return fd;
}

bool WriteRegularFile(const std::filesystem::path& path, std::string_view bytes) {
    std::optional<FileDescriptor> fd = CreateRegularFile(path);
    return fd && WriteAll(fd->Get(), bytes) && fd->Close();
}

}  // namespace mirabel
