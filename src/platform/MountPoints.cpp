#include "platform/MountPoints.h"

#include <array>
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
    const SystemResult<FileDescriptor> table = FileDescriptor::OpenForReading("/proc/self/mounts");
    if (!table) return {};
    return MediaMountPoints(ReadToEnd(table->Get()).value_or(""));
}

}  // namespace mirabel
