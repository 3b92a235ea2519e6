#include "platform/MountPoints.h"

#include <gtest/gtest.h>

namespace mirabel {

namespace {

TEST(MountPoints, MediaFoldersOnlyInTableOrderWithEscapesUndone) {
    const char* table =
        "/dev/sda1 / ext4 rw 0 0\n"
        "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
        "/dev/sdb1 /run/media/ann/CARD\\040DISK vfat rw 0 0\n"
        "/dev/sdc1 /mnt ext4 rw 0 0\n"
        "/dev/sdd1 /mnt/dvd udf ro 0 0\n"
        "tmpfs /mediax tmpfs rw 0 0\n"
        "/dev/sde1 /home/mnt ext4 rw 0 0\n"
        "broken\n";
    EXPECT_EQ(
        MediaMountPoints(table),
        (std::vector<std::string>{"/media/cdrom", "/run/media/ann/CARD DISK", "/mnt", "/mnt/dvd"}));
}

// A folder's place is the same however it is reached: through the whole file system, or through a
// second mount of part of it.
TEST(MountPoints, AFoldersPlaceInItsFileSystem) {
    const char* table =
        "20 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
        "31 20 8:1 /srv/images/stash /mnt/arch rw - ext4 /dev/sda1 rw\n"
        "32 20 8:2 /data\\040old /mnt/old\\040disk rw - ext4 /dev/sda2 rw\n"
        "broken line\n";
    struct Case {
        std::uint64_t mount;
        const char* seen;
        const char* device;  // "" when no place can be told
        const char* path;
    } cases[] = {
        {20, "/srv/images/2004/ST1", "8:1", "/srv/images/2004/ST1"},
        {31, "/mnt/arch/images/2004/ST1", "8:1", "/srv/images/stash/images/2004/ST1"},
        {31, "/mnt/arch", "8:1", "/srv/images/stash"},
        {32, "/mnt/old disk/ST1", "8:2", "/data old/ST1"},
        {31, "/mnt/archive/ST1", "", ""},  // not below the mount point
        {33, "/mnt/arch/ST1", "", ""},     // no such mount
    };
    for (const Case& c : cases) {
        const std::optional<FileSystemPlace> place = PlaceInMountTable(table, c.mount, c.seen);
        ASSERT_EQ(place.has_value(), *c.device != 0) << c.seen;
        if (!place) continue;
        EXPECT_EQ(place->device, c.device) << c.seen;
        EXPECT_EQ(place->path.lexically_normal(), std::filesystem::path(c.path)) << c.seen;
    }
}

TEST(MountPoints, APlaceIsBelowAnotherOnlyInTheSameFileSystem) {
    const FileSystemPlace root{"8:1", "/srv/images"};
    EXPECT_TRUE(IsAtOrBelow({"8:1", "/srv/images/stash/ST1"}, root));
    EXPECT_TRUE(IsAtOrBelow({"8:1", "/srv/images/"}, root));
    EXPECT_FALSE(IsAtOrBelow({"8:1", "/srv/images2/ST1"}, root));
    EXPECT_FALSE(IsAtOrBelow({"8:1", "/srv"}, root));
    EXPECT_FALSE(IsAtOrBelow({"8:2", "/srv/images/ST1"}, root));
}

}  // namespace

}  // namespace mirabel
