#include "platform/FolderEntries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/RetryOnInterrupt.h"
#include "platform/SystemCalls.h"

namespace mirabel {

namespace {

constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

// The folder below `folder` that holds the last part of relative, opened part by part without
// following links (flat names open nothing); -1 when the way down is closed.
int OpenParent(int folder, const std::string& relative, FileDescriptor& owned, std::string& leaf,
               std::string& why) {
    int parent = folder;
    std::size_t start = 0;
    for (std::size_t end; (end = relative.find(kSeparator, start)) != std::string::npos;
         start = end + 1) {
        const std::string part = relative.substr(start, end - start);
        if (part.empty() || part == ".") continue;
        owned = FileDescriptor(
            ::openat(parent, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        parent = owned.Get();
        if (parent < 0) {
            why = LastSystemError();
            return -1;
        }
    }
    leaf = relative.substr(start);
    return parent;
}

// Looks at the last part without following a link; false with why set when it is not a
// regular file.
bool LookAt(int parent, const std::string& leaf, struct stat& info, std::string& why) {
    if (leaf.empty()) {
        why = "names a folder";
    } else if (::fstatat(parent, leaf.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        why = LastSystemError();
    } else if (S_ISDIR(info.st_mode)) {
        why = "names a folder";
    } else if (S_ISLNK(info.st_mode)) {
        why = "is a link";
    } else if (!S_ISREG(info.st_mode)) {
        why = "is not a regular file";
    }
    return why.empty();
}

// The entry is the regular file the check saw: the same inode (a number the file system may
// give again at once) with the same size and modification time.
bool StillTheSame(int parent, const std::string& leaf, const struct stat& seen) {
    struct stat now {};
    return ::fstatat(parent, leaf.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(now.st_mode) && now.st_dev == seen.st_dev && now.st_ino == seen.st_ino &&
           now.st_size == seen.st_size && now.st_mtim.tv_sec == seen.st_mtim.tv_sec &&
           now.st_mtim.tv_nsec == seen.st_mtim.tv_nsec;
}

}  // namespace

FolderEntries::FolderEntries(const std::filesystem::path& folder)
    : folder_(folder), dir_(FileDescriptor::Open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW)) {}

FolderEntries::FolderEntries(const std::filesystem::path& root, const std::filesystem::path& folder)
    : folder_(folder) {
    const std::filesystem::path below = folder.lexically_relative(root);
    if (below.empty()) return;
    // ".." anywhere would climb back out, however deep the path went first.
    for (const std::filesystem::path& part : below)
        if (part == "..") return;
    FileDescriptor at = FileDescriptor::Open(root, O_RDONLY | O_DIRECTORY);
    for (const std::filesystem::path& part : below) {
        if (!at.IsValid()) return;
        if (part.empty() || part == ".") continue;
        at = FileDescriptor(
            ::openat(at.Get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    dir_ = std::move(at);
}

std::optional<RegularFile> FolderEntries::OpenFile(const std::string& leaf,
                                                   std::string& error) const {
    if (!dir_.IsValid()) {
        error = "cannot open " + folder_.string();
        return std::nullopt;
    }
    std::optional<RegularFile> file = OpenRegularFileAt(dir_.Get(), leaf, error);
    if (!file) error = folder_.string() + ": " + error;
    return file;
}

// Readability is asked of the file system rather than proved by opening it: the answer is the
// same, and the file's contents are never touched.
CheckedEntry FolderEntries::Check(const std::string& relative) const {
    CheckedEntry entry;
    entry.path_ = (folder_ / relative).string();
    struct stat info {};
    std::string why;
    if (!dir_.IsValid()) {
        why = "the folder cannot be opened";
    } else {
        entry.parent_ = OpenParent(dir_.Get(), relative, entry.owned_, entry.leaf_, why);
        if (entry.parent_ >= 0 && LookAt(entry.parent_, entry.leaf_, info, why) &&
            RetryOnInterrupt(
                [&] { return ::faccessat(entry.parent_, entry.leaf_.c_str(), R_OK, 0); }) != 0)
            why = LastSystemError();
    }
    entry.size_ = static_cast<std::uint64_t>(info.st_size);
    entry.seen_ = info;
    if (!why.empty()) entry.why_ = entry.path_ + ": " + why;
    return entry;
}

bool FolderEntries::Hide(const CheckedEntry& entry, const std::string& hiddenLeaf,
                         std::string& why) const {
    if (!entry.MayGo()) {
        why = entry.why_;
        return false;
    }
    if (RenameAtNoReplace(entry.parent_, entry.leaf_.c_str(), entry.parent_, hiddenLeaf.c_str()) !=
        0) {
        why = entry.path_ + ": " + LastSystemError();
        return false;
    }
    if (StillTheSame(entry.parent_, hiddenLeaf, entry.seen_)) return true;
    std::string back;
    Unhide(entry, hiddenLeaf, back);
    why = entry.path_ + ": changed since it was checked";
    return false;
}

bool FolderEntries::Unhide(const CheckedEntry& entry, const std::string& hiddenLeaf,
                           std::string& why) const {
    if (RenameAtNoReplace(entry.parent_, hiddenLeaf.c_str(), entry.parent_, entry.leaf_.c_str()) ==
        0)
        return true;
    why = entry.path_ + ": " + LastSystemError();
    return false;
}

RemovalOutcome FolderEntries::RemoveLeaf(const std::string& leaf) const {
    const std::string path = (folder_ / leaf).string();
    if (!dir_.IsValid()) return {RemovalResult::Failed, path + ": the folder cannot be opened"};
    if (UnlinkAt(dir_.Get(), leaf.c_str()) == 0 || errno == ENOENT)
        return {RemovalResult::Removed, ""};
    return {RemovalResult::Failed, path + ": " + LastSystemError()};
}

bool FolderEntries::RenameLeaf(const std::string& from, const std::string& to,
                               std::string& why) const {
    if (dir_.IsValid() && RenameAtNoReplace(dir_.Get(), from.c_str(), dir_.Get(), to.c_str()) == 0)
        return true;
    why = (folder_ / from).string() + ": " + LastSystemError();
    return false;
}

bool FolderEntries::HasLeaf(const std::string& leaf) const {
    struct stat info {};
    return dir_.IsValid() && ::fstatat(dir_.Get(), leaf.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

std::optional<std::uint64_t> FolderEntries::RegularFileSize(const std::string& relative) const {
    if (!dir_.IsValid()) return std::nullopt;
    FileDescriptor owned;
    std::string leaf, why;
    struct stat info {};
    const int parent = OpenParent(dir_.Get(), relative, owned, leaf, why);
    if (parent < 0 || !LookAt(parent, leaf, info, why)) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

}  // namespace mirabel

namespace mirabel {

std::optional<std::vector<FolderEntries::File>> FolderEntries::RegularFiles() const {
    if (!dir_.IsValid()) return std::nullopt;
    // A directory stream of its own, over the same open folder.
    const int copy = ::openat(dir_.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* stream = copy < 0 ? nullptr : ::fdopendir(copy);
    if (!stream) {
        if (copy >= 0) ::close(copy);
        return std::nullopt;
    }
    std::vector<File> files;
    errno = 0;
    while (const dirent* entry = ::readdir(stream)) {
        struct stat info {};
        if (::fstatat(dir_.Get(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode))
            files.push_back({entry->d_name, static_cast<std::uint64_t>(info.st_size)});
        errno = 0;
    }
    const bool complete = errno == 0;
    ::closedir(stream);
    if (!complete) return std::nullopt;
    return files;
}

bool FolderEntries::IsOrIsBelow(const std::filesystem::path& other) const {
    struct stat target {};
    if (!dir_.IsValid() || ::stat(other.c_str(), &target) != 0) return false;
    FileDescriptor at(::openat(dir_.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (;;) {
        struct stat level {};
        if (!at.IsValid() || ::fstat(at.Get(), &level) != 0) return false;
        if (level.st_dev == target.st_dev && level.st_ino == target.st_ino) return true;
        FileDescriptor up(::openat(at.Get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat parent {};
        if (!up.IsValid() || ::fstat(up.Get(), &parent) != 0) return false;
        if (parent.st_dev == level.st_dev && parent.st_ino == level.st_ino) return false;  // "/"
        at = std::move(up);
    }
}

bool FolderEntries::CreateEmptyFile(const std::string& leaf, std::string& why) const {
    return CreateNewFile(leaf, 0600, why).IsValid();
}

FileDescriptor FolderEntries::CreateNewFile(const std::string& leaf, unsigned mode,
                                            std::string& why) const {
    FileDescriptor file(dir_.IsValid() ? RetryOnInterrupt([&] {
        return ::openat(dir_.Get(), leaf.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    })
                                       : -1);
    if (!file.IsValid()) why = (folder_ / leaf).string() + ": " + LastSystemError();
    return file;
}

bool FolderEntries::Flush(std::string& why) const {
    if (dir_.IsValid() && Fsync(dir_.Get()) == 0) return true;
    why = folder_.string() + ": " + (dir_.IsValid() ? LastSystemError() : "cannot be opened");
    return false;
}

}  // namespace mirabel
