#pragma once
// Where removable media appear on Linux: the mount points under /media, /run/media and /mnt;
// and where a folder lies in its file system, whatever mount shows it.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirabel {

// The mount points of a mount table's text (the fstab format of /proc/self/mounts: octal
// escapes such as \040 for a blank) that lie under /media, /run/media or /mnt, in table order.
std::vector<std::string> MediaMountPoints(std::string_view mountTable);

// The same for the mount table of this process; empty when it cannot be read.
std::vector<std::string> MediaMountPoints();

// A folder's place in its file system: the file system (its device numbers, "major:minor") and
// the folder's path from the file system's own top. A folder mounted a second time somewhere
// else (a bind mount) has one place, however it is reached.
struct FileSystemPlace {
    std::string device;
    std::filesystem::path path;
};

// The place of the folder seen at seenPath through the mount mountId, from a mount table in the
// format of /proc/self/mountinfo; nullopt when the table has no such mount or the path is not
// below its mount point.
std::optional<FileSystemPlace> PlaceInMountTable(std::string_view mountInfo, std::uint64_t mountId,
                                                 const std::filesystem::path& seenPath);

// This process's mount table, in that format; empty when it cannot be read (no /proc).
std::string MountInfoTable();

// The place of an open folder by that table; nullopt when it cannot be told.
std::optional<FileSystemPlace> PlaceOfOpenFolder(int folder, std::string_view mountInfo);

// True when inner is outer itself or lies anywhere below it, in the same file system.
bool IsAtOrBelow(const FileSystemPlace& inner, const FileSystemPlace& outer);

}  // namespace mirabel
