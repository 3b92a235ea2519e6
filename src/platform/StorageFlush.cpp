#include "platform/StorageFlush.h"

#include <dirent.h>
#include <fcntl.h>

#include <cerrno>
#include <vector>

#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"
#include "platform/SystemCalls.h"

namespace mirabel {

namespace fs = std::filesystem;

namespace {

// The regular files directly in the folder, open for flushing; false when the folder cannot be
// listed or one of them cannot be opened.
bool OpenFilesOf(const fs::path& folder, std::vector<FileDescriptor>& files) {
    const SystemResult<FileDescriptor> dir = FileDescriptor::Open(folder, O_RDONLY | O_DIRECTORY);
    if (!dir) return false;
    const SystemResult<std::vector<sys::FolderEntry>> entries = sys::ListFolder(dir->Get());
    if (!entries) return false;
    for (const sys::FolderEntry& entry : *entries) {
        if (entry.type != DT_REG) continue;
        // O_NOFOLLOW: the entry may have become a link since it was listed.
        SystemResult<FileDescriptor> file =
            FileDescriptor::OpenAt(dir->Get(), entry.name.c_str(), O_RDONLY | O_NOFOLLOW);
        if (!file) return false;
        files.push_back(std::move(*file));
    }
    return true;
}

bool FlushData(const std::vector<FileDescriptor>& files) {
    // Every file's writing is started before the first is waited for, so that the storage
    // receives the whole copy at once instead of file by file.
    for (const FileDescriptor& file : files) sys::StartWriteBack(file.Get());
    for (const FileDescriptor& file : files)
        if (!sys::DataSync(file.Get())) return false;
    return true;
}

bool FlushFolderEntries(const fs::path& folder) {
    const SystemResult<FileDescriptor> dir = FileDescriptor::Open(folder, O_RDONLY | O_DIRECTORY);
    if (!dir) return false;
    // A file system that cannot flush a folder (some network ones) writes its entries at once.
    const SystemResult<> synced = sys::Fsync(dir->Get());
    return synced || synced.error().code == EINVAL;
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
