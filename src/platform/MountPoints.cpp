#include "platform/MountPoints.h"

#include <unistd.h>

#include <array>
#include <charconv>
#include <sstream>

#include "platform/FileDescriptor.h"
#include "platform/FileIo.h"

namespace mirabel {

namespace {

constexpr std::array<std::string_view, 3> kMediaFolders = {"/media", "/run/media", "/mnt"};

// The fstab escapes: a backslash and three octal digits stand for one byte.
std::string Unescape(std::string_view field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool octal =
            field[i] == '\\' && i + 3 < field.size() &&
            field.substr(i + 1, 3).find_first_not_of("01234567") == std::string_view::npos;
        if (octal) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

// A file of /proc read whole; empty when it cannot be read.
std::string ReadProcFile(const std::string& path) {
    const SystemResult<FileDescriptor> file = FileDescriptor::OpenForReading(path);
    return file ? ReadToEnd(file->Get()).value_or("") : std::string();
}

bool UnderMediaFolder(const std::string& mountPoint) {
    for (std::string_view folder : kMediaFolders)
        if (mountPoint.compare(0, folder.size(), folder) == 0 &&
            (mountPoint.size() == folder.size() || mountPoint[folder.size()] == '/'))
            return true;
    return false;
}

}  // namespace

std::vector<std::string> MediaMountPoints(std::string_view mountTable) {
    std::vector<std::string> points;
    std::istringstream lines{std::string(mountTable)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string device, mountPoint;
        if (!(fields >> device >> mountPoint)) continue;
        std::string point = Unescape(mountPoint);
        if (UnderMediaFolder(point)) points.push_back(std::move(point));
    }
    return points;
}

std::vector<std::string> MediaMountPoints() {
    // Without a mount table (no /proc) only the destinations' own roots are searched.
    return MediaMountPoints(ReadProcFile("/proc/self/mounts"));
}

namespace {

// The mount an open descriptor was reached through, from its "mnt_id:" line.
std::optional<std::uint64_t> MountIdOf(int fd) {
    const std::string info = ReadProcFile("/proc/self/fdinfo/" + std::to_string(fd));
    const std::size_t at = info.find("mnt_id:");
    if (at == std::string::npos) return std::nullopt;
    const std::size_t start = info.find_first_not_of(" \t", at + 7);
    std::uint64_t id = 0;
    if (start == std::string::npos ||
        std::from_chars(info.data() + start, info.data() + info.size(), id).ec != std::errc())
        return std::nullopt;
    return id;
}

}  // namespace

std::optional<FileSystemPlace> PlaceInMountTable(std::string_view mountInfo, std::uint64_t mountId,
                                                 const std::filesystem::path& seenPath) {
    std::istringstream lines{std::string(mountInfo)};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::uint64_t id = 0;
        std::string parent, device, root, mountPoint;
        if (!(fields >> id >> parent >> device >> root >> mountPoint) || id != mountId) continue;
        const std::filesystem::path below =
            seenPath.lexically_normal().lexically_relative(Unescape(mountPoint));
        if (below.empty() || *below.begin() == "..") return std::nullopt;
        const std::filesystem::path top(Unescape(root));
        return FileSystemPlace{device, below == "." ? top : (top / below).lexically_normal()};
    }
    return std::nullopt;
}

std::string MountInfoTable() {
    return ReadProcFile("/proc/self/mountinfo");
}

std::optional<FileSystemPlace> PlaceOfOpenFolder(int folder, std::string_view mountInfo) {
    const std::optional<std::uint64_t> mountId = MountIdOf(folder);
    if (!mountId) return std::nullopt;
    std::error_code error;
    const std::filesystem::path seen =
        std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(folder), error);
    if (error || !seen.is_absolute()) return std::nullopt;
    return PlaceInMountTable(mountInfo, *mountId, seen);
}

bool IsAtOrBelow(const FileSystemPlace& inner, const FileSystemPlace& outer) {
    if (inner.device != outer.device) return false;
    auto innerPart = inner.path.begin();
    for (const std::filesystem::path& part : outer.path) {
        if (part.empty()) continue;  // a trailing separator
        if (innerPart == inner.path.end() || *innerPart != part) return false;
        ++innerPart;
    }
    return true;
}

}  // namespace mirabel
