#include "platform/FolderEntries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/MountPoints.h"
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
        SystemResult<FileDescriptor> opened =
            FileDescriptor::OpenAt(parent, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (!opened) {
            owned = FileDescriptor();
            why = opened.error().Text();
            return -1;
        }
        owned = std::move(*opened);
        parent = owned.Get();
    }
    leaf = relative.substr(start);
    return parent;
}

// Looks at the last part without following a link; false with why set when it is not a
// regular file.
bool LookAt(int parent, const std::string& leaf, struct stat& info, std::string& why) {
    if (leaf.empty()) {
        why = "names a folder";
    } else if (const SystemResult<> stated =
                   sys::StatAt(parent, leaf.c_str(), info, AT_SYMLINK_NOFOLLOW);
               !stated) {
        why = stated.error().Text();
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
    return sys::StatAt(parent, leaf.c_str(), now, AT_SYMLINK_NOFOLLOW) && S_ISREG(now.st_mode) &&
           now.st_dev == seen.st_dev && now.st_ino == seen.st_ino && now.st_size == seen.st_size &&
           now.st_mtim.tv_sec == seen.st_mtim.tv_sec && now.st_mtim.tv_nsec == seen.st_mtim.tv_nsec;
}

}  // namespace

FolderEntries::FolderEntries(const std::filesystem::path& folder)
    : folder_(folder),
      dir_(FileDescriptor::Open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW)
               .value_or(FileDescriptor())) {}

FolderEntries::FolderEntries(const std::filesystem::path& root, const std::filesystem::path& folder)
    : folder_(folder) {
    const std::filesystem::path below = folder.lexically_relative(root);
    if (below.empty()) return;
    // ".." anywhere would climb back out, however deep the path went first.
    for (const std::filesystem::path& part : below)
        if (part == "..") return;
    SystemResult<FileDescriptor> at = FileDescriptor::Open(root, O_RDONLY | O_DIRECTORY);
    for (const std::filesystem::path& part : below) {
        if (!at) return;
        if (part.empty() || part == ".") continue;
        at = FileDescriptor::OpenAt(at->Get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    }
    if (at) dir_ = std::move(*at);
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
        if (entry.parent_ >= 0 && LookAt(entry.parent_, entry.leaf_, info, why)) {
            const SystemResult<> readable = sys::AccessAt(entry.parent_, entry.leaf_.c_str(), R_OK);
            if (!readable) why = readable.error().Text();
        }
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
    if (const SystemResult<> renamed = sys::RenameNoReplace(entry.parent_, entry.leaf_.c_str(),
                                                            entry.parent_, hiddenLeaf.c_str());
        !renamed) {
        why = entry.path_ + ": " + renamed.error().Text();
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
    const SystemResult<> renamed =
        sys::RenameNoReplace(entry.parent_, hiddenLeaf.c_str(), entry.parent_, entry.leaf_.c_str());
    if (renamed) return true;
    why = entry.path_ + ": " + renamed.error().Text();
    return false;
}

RemovalOutcome FolderEntries::RemoveLeaf(const std::string& leaf) const {
    const std::string path = (folder_ / leaf).string();
    if (!dir_.IsValid()) return {RemovalResult::Failed, path + ": the folder cannot be opened"};
    const SystemResult<> removed = sys::UnlinkAt(dir_.Get(), leaf.c_str());
    if (removed || removed.error().code == ENOENT) return {RemovalResult::Removed, ""};
    return {RemovalResult::Failed, path + ": " + removed.error().Text()};
}

bool FolderEntries::RenameLeaf(const std::string& from, const std::string& to,
                               std::string& why) const {
    const SystemResult<> renamed =
        dir_.IsValid() ? sys::RenameNoReplace(dir_.Get(), from.c_str(), dir_.Get(), to.c_str())
                       : SystemResult<>(SystemError{EBADF});
    if (renamed) return true;
    why = (folder_ / from).string() + ": " + renamed.error().Text();
    return false;
}

bool FolderEntries::HasLeaf(const std::string& leaf) const {
    struct stat info {};
    return dir_.IsValid() && sys::StatAt(dir_.Get(), leaf.c_str(), info, AT_SYMLINK_NOFOLLOW);
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
    const SystemResult<std::vector<sys::FolderEntry>> entries = sys::ListFolder(dir_.Get());
    if (!entries) return std::nullopt;
    std::vector<File> files;
    for (const sys::FolderEntry& entry : *entries) {
        struct stat info {};
        if (sys::StatAt(dir_.Get(), entry.name.c_str(), info, AT_SYMLINK_NOFOLLOW) &&
            S_ISREG(info.st_mode))
            files.push_back({entry.name, static_cast<std::uint64_t>(info.st_size)});
    }
    return files;
}

namespace {

// Walks up from the folder to "/", looking at each level once: whether one of the targets is on
// the way; nullopt when the way up breaks off (no descriptor left, say), which proves nothing.
// A level is only looked at, never read: a folder on the way that the account may pass through
// but not list (an image root of another account, say) does not end the walk early.
std::optional<bool> TargetOnTheWayUp(int folder, const std::vector<struct stat>& targets) {
    SystemResult<FileDescriptor> at = FileDescriptor::OpenAt(folder, ".", O_PATH | O_DIRECTORY);
    struct stat level {};
    if (!at || !sys::Fstat(at->Get(), level)) return std::nullopt;
    for (;;) {
        for (const struct stat& target : targets)
            if (level.st_dev == target.st_dev && level.st_ino == target.st_ino) return true;
        SystemResult<FileDescriptor> up =
            FileDescriptor::OpenAt(at->Get(), "..", O_PATH | O_DIRECTORY);
        struct stat parent {};
        if (!up || !sys::Fstat(up->Get(), parent)) return std::nullopt;
        if (parent.st_dev == level.st_dev && parent.st_ino == level.st_ino) return false;  // "/"
        at = std::move(up);
        level = parent;
    }
}

// Whether the folder lies in one of the targets' places in their file system: the way up from
// the top of a second mount of part of a file system (a bind mount) leads to where it is
// mounted, not to the folder it shows. Without a mount table the walk alone decides.
bool InATargetsPlace(int folder, const std::vector<std::filesystem::path>& targets) {
    const std::string table = MountInfoTable();
    const std::optional<FileSystemPlace> here = PlaceOfOpenFolder(folder, table);
    if (!here) return false;
    for (const std::filesystem::path& target : targets) {
        const SystemResult<FileDescriptor> opened =
            FileDescriptor::Open(target, O_PATH | O_DIRECTORY);
        if (!opened) continue;
        const std::optional<FileSystemPlace> place = PlaceOfOpenFolder(opened->Get(), table);
        if (place && IsAtOrBelow(*here, *place)) return true;
    }
    return false;
}

}  // namespace

std::optional<bool> FolderEntries::IsOrIsBelowAny(
    const std::vector<std::filesystem::path>& others) const {
    if (!dir_.IsValid()) return std::nullopt;
    std::vector<struct stat> targets;
    for (const std::filesystem::path& other : others) {
        struct stat target {};
        if (sys::StatAt(AT_FDCWD, other.c_str(), target, 0)) targets.push_back(target);
    }
    if (targets.empty()) return false;
    const std::optional<bool> onTheWay = TargetOnTheWayUp(dir_.Get(), targets);
    if (onTheWay != false) return onTheWay;
    return InATargetsPlace(dir_.Get(), others);
}

bool FolderEntries::CreateEmptyFile(const std::string& leaf, std::string& why) const {
    return CreateNewFile(leaf, 0600, why).IsValid();
}

FileDescriptor FolderEntries::CreateNewFile(const std::string& leaf, unsigned mode,
                                            std::string& why) const {
    if (!dir_.IsValid()) {
        why = folder_.string() + ": the folder cannot be opened";
        return FileDescriptor();
    }
    SystemResult<FileDescriptor> file = FileDescriptor::OpenAt(
        dir_.Get(), leaf.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, mode);
    if (file) return std::move(*file);
    why = (folder_ / leaf).string() + ": " + file.error().Text();
    return FileDescriptor();
}

bool FolderEntries::Flush(std::string& why) const {
    if (!dir_.IsValid()) {
        why = folder_.string() + ": cannot be opened";
        return false;
    }
    const SystemResult<> flushed = sys::Fsync(dir_.Get());
    if (flushed) return true;
    why = folder_.string() + ": " + flushed.error().Text();
    return false;
}

}  // namespace mirabel
