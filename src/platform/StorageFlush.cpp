#include "platform/StorageFlush.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/FileDescriptor.h"

namespace mirabel {

namespace fs = std::filesystem;

bool FlushFolderToStorage(const fs::path& folder) {
    const FileDescriptor dir = FileDescriptor::Open(folder, O_RDONLY | O_DIRECTORY);
    if (!dir.IsValid() || ::syncfs(dir.Get()) != 0) return false;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        std::error_code entryError;
        if (!entry.is_regular_file(entryError)) continue;
        const FileDescriptor file = FileDescriptor::Open(entry.path(), O_RDONLY);
        if (file.IsValid()) ::posix_fadvise(file.Get(), 0, 0, POSIX_FADV_DONTNEED);
    }
    return true;
}

}  // namespace mirabel
