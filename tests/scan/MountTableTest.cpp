#include "scan/InputLocation.h"
#include "scan/MountTable.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
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

TEST(MountTableTest, TheFileSystemTypeIsThatOfTheNearestMountPoint) {
    const std::vector<MountEntry> mounts = {{"/dev/sda1", "/", "ext4"},
                                            {"/dev/sdb1", "/media/u/STICK", "vfat"},
                                            {"/dev/sdc1", "/media/u/WIN", "fuseblk"},
                                            {"/dev/sdd1", "/media/u/WIN", "ntfs3"}};
    EXPECT_EQ(FileSystemTypeOf("/media/u/STICK/docs", mounts), "vfat");
    EXPECT_EQ(FileSystemTypeOf("/media/u/STICKY", mounts), "ext4");
    EXPECT_EQ(FileSystemTypeOf("/media/u/WIN/", mounts), "ntfs3"); // the last mount is in sight
    EXPECT_EQ(FileSystemTypeOf("/home", {}), "");
}

TEST(InputLocationTest, TheFirstOpticalDriveIsTheLowestSrDevice) {
    EXPECT_EQ(FirstOpticalDrive({"vda", "sr1", "loop0", "sr0", "sr10"}), "/dev/sr0/");
    EXPECT_EQ(FirstOpticalDrive({"sr10", "sr2"}), "/dev/sr2/");
    EXPECT_EQ(FirstOpticalDrive({"sda", "srx", "sr", "zram0"}), "");
    EXPECT_EQ(FirstOpticalDrive({}), "");
}

TEST(InputLocationTest, ADriveIsReadWhereItsMediumIsMounted) {
    struct stat info {};
    if (::stat("/dev/loop0", &info) != 0 || !S_ISBLK(info.st_mode))
        GTEST_SKIP() << "no block device /dev/loop0 to stand for a drive here";
    const std::vector<MountEntry> mounted = {{"/dev/vda1", "/", "ext4"},
                                             {"/dev/loop0", "/media/u/My Disc", "iso9660"},
                                             {"/dev/loop0", "/mnt/again", "iso9660"}};
    EXPECT_TRUE(IsDrive("/dev/loop0/"));
    EXPECT_EQ(ScannedDirectory("/dev/loop0/", mounted), "/media/u/My Disc/");
    EXPECT_EQ(ScannedDirectory("/dev/loop0", {mounted[0]}), std::nullopt) << "no medium";
    EXPECT_FALSE(IsDrive("/tmp/"));
    EXPECT_EQ(ScannedDirectory("/tmp/", mounted), "/tmp/");
    EXPECT_EQ(ScannedDirectory("/no/such/place/", mounted), "/no/such/place/");
}

} // namespace
} // namespace quillory
