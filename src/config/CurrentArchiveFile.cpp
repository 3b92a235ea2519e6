#include "config/CurrentArchiveFile.h"

#include <filesystem>
#include <fstream>

namespace mirabel {

namespace {
constexpr auto kReadWriteExisting = std::ios::in | std::ios::out | std::ios::binary;
}

CurrentArchiveFileResult ReadOrCreateCurrentArchiveFile(std::string& id) {
    std::fstream file(kCurrentArchiveFile, kReadWriteExisting);
    if (file) {
        char bytes[kCurrentArchiveIdMaxBytes];
        file.read(bytes, sizeof bytes);
        if (file.gcount() > 0) id.assign(bytes, static_cast<std::size_t>(file.gcount()));
        return CurrentArchiveFileResult::Read;
    }
    // Opening for appending creates a missing file and never empties one that exists but
    // could not be opened above.
    std::ofstream created(kCurrentArchiveFile, std::ios::binary | std::ios::app);
    return created ? CurrentArchiveFileResult::Created : CurrentArchiveFileResult::Failed;
}

bool ReadCurrentArchiveFileOnly(std::string& id) {
    std::ifstream file(kCurrentArchiveFile, std::ios::binary);
    if (!file) return false;
    char bytes[kCurrentArchiveIdMaxBytes];
    file.read(bytes, sizeof bytes);
    if (file.gcount() > 0) id.assign(bytes, static_cast<std::size_t>(file.gcount()));
    return true;
}

void WriteCurrentArchiveFile(const std::string& id) {
    {
        std::fstream file(kCurrentArchiveFile, kReadWriteExisting);
        if (!file) return;
        file.write(id.data(), static_cast<std::streamsize>(id.size()));
        if (!file) return;
    }
    // Cut off whatever a longer earlier id left behind.
    std::error_code ignored;
    std::filesystem::resize_file(kCurrentArchiveFile, id.size(), ignored);
}

}  // namespace mirabel
