#include "platform/FreeSpace.h"

#include "platform/SystemCalls.h"

namespace mirabel {

namespace {
// The answer a test has set, if any; it stands for every folder.
bool g_spaceSet = false;
std::optional<FileSystemSpace> g_space;
}  // namespace

std::optional<FileSystemSpace> SpaceOfFileSystem(const std::filesystem::path& folder) {
    if (g_spaceSet) return g_space;
    struct statvfs info {};
    if (!sys::Statvfs(folder.c_str(), info)) return std::nullopt;
    // f_bavail leaves out the blocks reserved for the superuser, as the caller cannot use them.
    return FileSystemSpace{static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize,
                           static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize};
}

std::optional<std::uint64_t> FreeBytesAvailable(const std::filesystem::path& folder) {
    const std::optional<FileSystemSpace> space = SpaceOfFileSystem(folder);
    if (!space) return std::nullopt;
    return space->freeBytes;
}

ScopedFreeBytes::ScopedFreeBytes(std::optional<std::uint64_t> bytes, std::uint64_t totalBytes)
    : wasSet_(g_spaceSet), previous_(g_space) {
    g_spaceSet = true;
    g_space = bytes ? std::optional(FileSystemSpace{*bytes, totalBytes}) : std::nullopt;
}

ScopedFreeBytes::~ScopedFreeBytes() {
    g_spaceSet = wasSet_;
    g_space = previous_;
}

}  // namespace mirabel
