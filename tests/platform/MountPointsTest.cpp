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

}  // namespace

}  // namespace mirabel
