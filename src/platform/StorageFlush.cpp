#include "platform/StorageFlush.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"

namespace mirabel {

namespace fs = std::filesystem;

bool FlushFolderToStorage(const fs::path& folder) {
    const FileDescriptor dir = FileDescriptor::Open(folder, O_RDONLY | O_DIRECTORY);
    if (!dir.IsValid() || ::syncfs(dir.Get()) != 0) return false;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        std::error_code entryError;
        if (!entry.is_regular_file(entryError)) continue;
        const FileDescriptor file = FileDescriptor::OpenForReading(entry.path());
        if (file.IsValid()) DropCachedPages(file.Get());
    }
    return true;
}

}  // namespace mirabel
