#include "scan/MountTable.h"

#include <gtest/gtest.h>
#include <sstream>

namespace quillory {
namespace {

TEST(MountTableTest, ParsesEntriesAndUndoesEscapes) {
    std::istringstream table("sysfs /sys sysfs rw,nosuid 0 0\n"
                             "/dev/sdb1 /media/u/My\\040Disk vfat rw 0 0\n"
                             "too short\n"
                             "\n"
                             "/dev/sdc1 /mnt/back\\134slash\\011tab ext4 rw 0 0\n"
                             "/dev/sdd1 /mnt/end\\040 ext4 rw 0 0\n"
                             "/dev/sde1 /mnt/a\\04 /mnt/b\\08x ext4");
    const std::vector<MountEntry> mounts = ParseMountTable(table);
    ASSERT_EQ(mounts.size(), 5u);
    EXPECT_EQ(mounts[0].MountPoint, "/sys");
    EXPECT_EQ(mounts[1].Device, "/dev/sdb1");
    EXPECT_EQ(mounts[1].MountPoint, "/media/u/My Disk");
    EXPECT_EQ(mounts[1].FileSystemType, "vfat");
    EXPECT_EQ(mounts[2].MountPoint, "/mnt/back\\slash\ttab");
    EXPECT_EQ(mounts[3].MountPoint, "/mnt/end ");
    // Incomplete or non-octal escapes are kept as they stand.
    EXPECT_EQ(mounts[4].Device, "/dev/sde1");
    EXPECT_EQ(mounts[4].MountPoint, "/mnt/a\\04");
    EXPECT_EQ(mounts[4].FileSystemType, "/mnt/b\\08x");
}

TEST(MountTableTest, FirstOpticalDriveInTableOrder) {
    std::vector<MountEntry> mounts = {{"/dev/sda1", "/", "ext4"},
                                      {"tmpfs", "/tmp", "tmpfs"},
                                      {"/dev/loop0", "/mnt/image", "iso9660"},
                                      {"/dev/sr0", "/media/u/DISC", "udf"}};
    EXPECT_EQ(FirstOpticalDrive(mounts), "/mnt/image/");
    mounts.erase(mounts.begin() + 2);
    EXPECT_EQ(FirstOpticalDrive(mounts), "/media/u/DISC/");

    EXPECT_EQ(FirstOpticalDrive({{"/dev/sr1", "/media/cd/", "auto"}}), "/media/cd/");
    EXPECT_EQ(FirstOpticalDrive({{"/dev/sdb1", "/mnt/usb", "udf"}}), "/mnt/usb/");
    EXPECT_EQ(FirstOpticalDrive({{"/dev/sdb1", "/", "iso9660"}}), "/");
    EXPECT_EQ(FirstOpticalDrive({{"/dev/sda1", "/", "ext4"}, {"/dev/sdb1", "/mnt/sr0", "vfat"}}),
              "");
    EXPECT_EQ(FirstOpticalDrive({}), "");

    std::istringstream table("/dev/sr0 /media/u/My\\040CD iso9660 ro 0 0\n");
    EXPECT_EQ(FirstOpticalDrive(ParseMountTable(table)), "/media/u/My CD/");
}

} // namespace
} // namespace quillory
