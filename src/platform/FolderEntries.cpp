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

RemovalOutcome Unlink(int parent, const std::string& leaf, const std::string& path) {
    if (RetryOnInterrupt([&] { return ::unlinkat(parent, leaf.c_str(), 0); }) != 0)
        return {RemovalResult::Failed, path + ": " + LastSystemError()};
    return {RemovalResult::Removed, ""};
}

// An entry below the folder, looked up without following links.
struct FoundEntry {
    int parent = -1;       // the folder that holds it; -1 when it was not found
    FileDescriptor owned;  // that folder, when it had to be opened on the way
    std::string leaf;      // its last part
    struct stat info {};
    std::string why;  // why it was not found
};

// Walks down part by part (flat names open nothing) and looks at the last part.
FoundEntry Find(int folder, const std::string& relative) {
    FoundEntry entry;
    entry.parent = folder;
    std::size_t start = 0;
    for (std::size_t end; (end = relative.find(kSeparator, start)) != std::string::npos;
         start = end + 1) {
        const std::string part = relative.substr(start, end - start);
        if (part.empty() || part == ".") continue;
        entry.owned = FileDescriptor(
            ::openat(entry.parent, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        entry.parent = entry.owned.Get();
        if (entry.parent < 0) {
            entry.why = LastSystemError();
            return entry;
        }
    }
    entry.leaf = relative.substr(start);
    if (entry.leaf.empty()) {
        entry.why = "names a folder";
    } else if (::fstatat(entry.parent, entry.leaf.c_str(), &entry.info, AT_SYMLINK_NOFOLLOW) != 0) {
        entry.why = LastSystemError();
    } else if (S_ISDIR(entry.info.st_mode)) {
        entry.why = "names a folder";
    }
    if (!entry.why.empty()) entry.parent = -1;
    return entry;
}

// A regular file proves readable, loses its read-only state and goes. Readability is asked of
// the file system rather than proved by opening it: the answer is the same, and the file's
// contents are never touched.
RemovalOutcome RemoveRegularFile(int parent, const std::string& leaf, const struct stat& info,
                                 const std::string& path) {
    if (RetryOnInterrupt([&] { return ::faccessat(parent, leaf.c_str(), R_OK, 0); }) != 0)
        return Problem(path, LastSystemError());
    if ((info.st_mode & S_IWUSR) == 0)
        RetryOnInterrupt([&] {
            return ::fchmodat(parent, leaf.c_str(), (info.st_mode & 07777) | S_IRUSR | S_IWUSR, 0);
        });
    return Unlink(parent, leaf, path);
}

}  // namespace

FolderEntries::FolderEntries(const std::filesystem::path& folder)
    : folder_(folder), dir_(FileDescriptor::Open(folder, O_RDONLY | O_DIRECTORY)) {}

RemovalOutcome FolderEntries::Remove(const std::string& relative) const {
    const std::string path = (folder_ / relative).string();
    if (!dir_.IsValid()) return Problem(path, "the folder cannot be opened");
    const FoundEntry entry = Find(dir_.Get(), relative);
    if (entry.parent < 0) return Problem(path, entry.why);
    if (S_ISREG(entry.info.st_mode))
        return RemoveRegularFile(entry.parent, entry.leaf, entry.info, path);
    return Unlink(entry.parent, entry.leaf, path);
}

std::optional<std::uint64_t> FolderEntries::RegularFileSize(const std::string& relative) const {
    if (!dir_.IsValid()) return std::nullopt;
    const FoundEntry entry = Find(dir_.Get(), relative);
    if (entry.parent < 0 || !S_ISREG(entry.info.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(entry.info.st_size);
}

}  // namespace mirabel
