#include "platform/FileStamp.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/SystemCalls.h"

namespace mirabel {

std::optional<FileStamp> StampOf(const std::filesystem::path& file) {
    struct stat status {};
    if (!sys::StatAt(AT_FDCWD, file.c_str(), status, 0)) return std::nullopt;
    return FileStamp{
        static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
        static_cast<std::uint64_t>(status.st_size),
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

}  // namespace mirabel
