#include "platform/StorageFlush.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"
#include "platform/SystemCalls.h"
#include "platform/RetryOnInterrupt.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

// The regular files directly in the folder, open for flushing; false when the folder cannot be
// listed or one of them cannot be opened.
bool OpenFilesOf(const fs::path& folder, std::vector<FileDescriptor>& files) {
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        std::error_code entryError;
        if (entry.symlink_status(entryError).type() != fs::file_type::regular) continue;
        // O_NOFOLLOW: the entry may have become a link since it was listed.
        files.push_back(FileDescriptor::Open(entry.path(), O_RDONLY | O_NOFOLLOW));
        if (!files.back().IsValid()) return false;
    }
    return !ec;
}

bool FlushData(const std::vector<FileDescriptor>& files) {
    // Every file's writing is started before the first is waited for, so that the storage
    // receives the whole copy at once instead of file by file.
    for (const FileDescriptor& file : files)
        (void)::sync_file_range(file.Get(), 0, 0, SYNC_FILE_RANGE_WRITE);  // a head start only
    for (const FileDescriptor& file : files)
        if (RetryOnInterrupt([&] { return ::fdatasync(file.Get()); }) != 0) return false;
    return true;
}

bool FlushFolderEntries(const fs::path& folder) {
    const FileDescriptor dir = FileDescriptor::Open(folder, O_RDONLY | O_DIRECTORY);
    if (!dir.IsValid()) return false;
    // A file system that cannot flush a folder (some network ones) writes its entries at once.
    return Fsync(dir.Get()) == 0 || errno == EINVAL;
}

// The folder and each one above it up to the root; only the folder when it is not below root.
std::vector<fs::path> FoldersUpTo(const fs::path& folder, const fs::path& root) {
    fs::path level = folder.lexically_normal();
    if (!level.has_filename()) level = level.parent_path();
    std::vector<fs::path> levels{level};
    const fs::path below = level.lexically_relative(root.lexically_normal());
    if (below.empty() || *below.begin() == "..") return levels;
    for (auto part = below.begin(); part != below.end() && *part != "."; ++part) {
        level = level.parent_path();
        levels.push_back(level);
    }
    return levels;
}

}  // namespace

bool FlushFolderToStorage(const fs::path& folder, const fs::path& root) {
    std::vector<FileDescriptor> files;
    if (!OpenFilesOf(folder, files) || !FlushData(files)) return false;
    for (const fs::path& level : FoldersUpTo(folder, root))
        if (!FlushFolderEntries(level)) return false;
    for (const FileDescriptor& file : files) DropCachedPages(file.Get());
    return true;
}

}  // namespace mirabel
