#include "platform/FreeSpace.h"

#include <sys/statvfs.h>

namespace mirabel {

std::optional<std::uint64_t> FreeBytesAvailable(const std::filesystem::path& folder) {
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0) return std::nullopt;
    // f_bavail leaves out the blocks reserved for the superuser, as the caller cannot use them.
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

}  // namespace mirabel
