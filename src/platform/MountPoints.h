#pragma once
// Where removable media appear on Linux: the mount points under /media, /run/media and /mnt.
#include <string>
#include <string_view>
#include <vector>

namespace mirabel {

// The mount points of a mount table's text (the fstab format of /proc/self/mounts: octal
// escapes such as \040 for a blank) that lie under /media, /run/media or /mnt, in table order.
std::vector<std::string> MediaMountPoints(std::string_view mountTable);

// The same for the mount table of this process; empty when it cannot be read.
std::vector<std::string> MediaMountPoints();

}  // namespace mirabel
