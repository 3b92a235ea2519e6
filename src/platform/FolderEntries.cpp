#include "platform/FolderEntries.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/RetryOnInterrupt.h"

namespace mirabel {

namespace {

constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

RemovalOutcome Problem(const std::string& path, const std::string& why) {
    return {RemovalResult::Problem, path + ": " + why};
}

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

// Looks at the last part without following a link; false with why set when there is nothing
// that could be removed there.
bool LookAt(int parent, const std::string& leaf, struct stat& info, std::string& why) {
    if (leaf.empty()) {
        why = "names a folder";
    } else if (::fstatat(parent, leaf.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        why = LastSystemError();
    } else if (S_ISDIR(info.st_mode)) {
        why = "names a folder";
    }
    return why.empty();
}

}  // namespace

FolderEntries::FolderEntries(const std::filesystem::path& folder)
    : folder_(folder), dir_(FileDescriptor::Open(folder, O_RDONLY | O_DIRECTORY)) {}

// A regular file must prove readable. Readability is asked of the file system rather than
// proved by opening it: the answer is the same, and the file's contents are never touched.
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
            S_ISREG(info.st_mode) &&
            RetryOnInterrupt(
                [&] { return ::faccessat(entry.parent_, entry.leaf_.c_str(), R_OK, 0); }) != 0)
            why = LastSystemError();
    }
    entry.mode_ = info.st_mode;
    if (!why.empty()) entry.why_ = entry.path_ + ": " + why;
    return entry;
}

// A read-only regular file becomes writable for its owner before it goes; links and special
// files are removed as they are.
RemovalOutcome FolderEntries::Remove(const CheckedEntry& entry) const {
    if (!entry.MayGo()) return {RemovalResult::Problem, entry.why_};
    const int parent = entry.parent_;
    const char* leaf = entry.leaf_.c_str();
    if (S_ISREG(entry.mode_) && (entry.mode_ & S_IWUSR) == 0)
        RetryOnInterrupt(
            [&] { return ::fchmodat(parent, leaf, (entry.mode_ & 07777) | S_IRUSR | S_IWUSR, 0); });
    if (RetryOnInterrupt([&] { return ::unlinkat(parent, leaf, 0); }) == 0)
        return {RemovalResult::Removed, ""};
    // Gone, or a folder now: what the check would have called a problem.
    if (errno == ENOENT || errno == EISDIR) return Problem(entry.path_, LastSystemError());
    return {RemovalResult::Failed, entry.path_ + ": " + LastSystemError()};
}

std::optional<std::uint64_t> FolderEntries::RegularFileSize(const std::string& relative) const {
    if (!dir_.IsValid()) return std::nullopt;
    FileDescriptor owned;
    std::string leaf, why;
    struct stat info {};
    const int parent = OpenParent(dir_.Get(), relative, owned, leaf, why);
    if (parent < 0 || !LookAt(parent, leaf, info, why) || !S_ISREG(info.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

}  // namespace mirabel
