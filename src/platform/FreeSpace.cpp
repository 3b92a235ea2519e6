#include "platform/FreeSpace.h"

#include <sys/statvfs.h>

namespace mirabel {

namespace {
// The answer a test has set, if any; it stands for every folder.
bool g_freeBytesSet = false;
std::optional<std::uint64_t> g_freeBytes;
}  // namespace

std::optional<std::uint64_t> FreeBytesAvailable(const std::filesystem::path& folder) {
    if (g_freeBytesSet) return g_freeBytes;
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0) return std::nullopt;
    // f_bavail leaves out the blocks reserved for the superuser, as the caller cannot use them.
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

ScopedFreeBytes::ScopedFreeBytes(std::optional<std::uint64_t> bytes)
    : wasSet_(g_freeBytesSet), previous_(g_freeBytes) {
    g_freeBytesSet = true;
    g_freeBytes = bytes;
}

ScopedFreeBytes::~ScopedFreeBytes() {
    g_freeBytesSet = wasSet_;
    g_freeBytes = previous_;
}

}  // namespace mirabel
