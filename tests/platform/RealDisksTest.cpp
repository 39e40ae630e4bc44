// Real file-system images, made the way real media are made and mounted as
// they are: an NTFS disk through ntfs-3g, a FAT disk where the kernel has
// vfat, an ext2 disk with a label on a loop device. They need root and the
// tools of scripts/setup; a case that cannot run here says so and why.
#include "platform/SystemDrives.h"
#include "scan/ScanCD.h"
#include "store/Database.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <sys/mount.h>
#include <unistd.h>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

bool Shell(const std::string& command) {
    return std::system(("{ " + command + "; } >/dev/null 2>&1").c_str()) == 0;
}

// What a catalog lists: each record's directory line and name.
std::set<std::string> Listed(const std::string& catalog) {
    std::set<std::string> entries;
    std::istringstream lines(catalog);
    std::vector<std::string> record;
    for (std::string line; std::getline(lines, line);) {
        record.push_back(line.substr(0, line.size() - 1)); // less its CR
        if (record.size() == 7) {
            entries.insert(record[2] + record[1]);
            record.clear();
        }
    }
    return entries;
}

class RealDisksTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "making and mounting disk images needs root";
    }
    void TearDown() override {
        for (auto it = mounted_.rbegin(); it != mounted_.rend(); ++it)
            ::umount2(it->c_str(), MNT_DETACH);
        for (const std::string& device : loops_)
            Shell("losetup -d " + device);
    }

    // Scans `input` into a fresh database and returns its catalog.
    std::string Scan(const std::string& input, const std::string& name = "Disk") {
        const std::string root = temp.File("root-" + name);
        fs::remove_all(root);
        fs::create_directories(root);
        const OpenDatabase database = OpenOrCreateDatabase(root, "Db", false);
        const ScanResult result = ScanCD(database, input, {name, "1"}, ReadMountedVolumes());
        if (result.Outcome != ScanOutcome::Written)
            return result.Outcome == ScanOutcome::NotAvailable ? "not available"
                                                                : "failed: " + result.Failure;
        return ReadFile(database.Path + name + "!1.txt");
    }

    std::string Image(const std::string& name, int mebibytes) {
        const std::string image = temp.File(name);
        WriteFile(image, "");
        fs::resize_file(image, std::uintmax_t(mebibytes) << 20);
        return image;
    }

    std::string Mountpoint(const std::string& name) {
        const std::string point = temp.File(name);
        fs::create_directories(point);
        return point;
    }

    test::TempDir temp;
    std::vector<std::string> mounted_;
    std::vector<std::string> loops_;
};

TEST_F(RealDisksTest, AnNtfsDiskListsWhatWindowsShows) {
    if (!Shell("command -v mkfs.ntfs && command -v ntfs-3g && command -v setfattr") ||
        !fs::exists("/dev/fuse"))
        GTEST_SKIP() << "no mkfs.ntfs, ntfs-3g, setfattr or /dev/fuse here";
    const std::string image = Image("ntfs.img", 16);
    const std::string point = Mountpoint("ntfs");
    ASSERT_TRUE(Shell("mkfs.ntfs -F -Q -q '" + image + "'"));
    ASSERT_TRUE(Shell("ntfs-3g '" + image + "' '" + point + "'"));
    mounted_.push_back(point);
    // As Windows leaves a disk: its own folders and desktop.ini hidden and
    // system, a folder the user hid, and ordinary files and folders.
    for (const char* folder : {"System Volume Information", "$RECYCLE.BIN", "Hidden", "Photos/2003"})
        fs::create_directories(point + "/" + folder);
    for (const char* file : {"System Volume Information/tracking.log", "$RECYCLE.BIN/desktop.ini",
                             "Hidden/secret.txt", "Hidden/inner.txt", "desktop.ini",
                             "Photos/2003/beach.jpg", "Photos/desktop.ini", "readme.txt",
                             "Photos/.thumbs"})
        WriteFile(point + "/" + file, "x");
    const std::pair<const char*, const char*> attributes[] = {
        {"System Volume Information", "0x00000006"}, {"$RECYCLE.BIN", "0x00000006"},
        {"desktop.ini", "0x00000026"},               {"Photos/desktop.ini", "0x00000006"},
        {"Hidden", "0x00000012"},                    {"readme.txt", "0x00000021"}};
    for (const auto& [entry, value] : attributes)
        ASSERT_TRUE(Shell("setfattr -n system.ntfs_attrib_be -v " + std::string(value) + " '" +
                        point + "/" + entry + "'"))
            << entry;
    EXPECT_EQ(Listed(Scan(point + "/")),
              (std::set<std::string>{"\\Photos\\2003\\beach.jpg", "\\Photos\\2003", "\\Photos",
                                     "\\readme.txt"}));
}

TEST_F(RealDisksTest, AFatDiskListsWhatWindowsShows) {
    const std::string image = Image("fat.img", 8);
    const std::string point = Mountpoint("fat");
    if (!Shell("command -v mkfs.vfat && command -v fatattr"))
        GTEST_SKIP() << "no mkfs.vfat or fatattr here (dosfstools, fatattr)";
    ASSERT_TRUE(Shell("mkfs.vfat '" + image + "'"));
    if (!Shell("mount -o loop -t vfat '" + image + "' '" + point + "'"))
        GTEST_SKIP() << "the kernel here has no vfat; the attribute query is tested through "
                        "the walk's seam instead";
    mounted_.push_back(point);
    fs::create_directories(point + "/SYSTEM~1");
    WriteFile(point + "/SYSTEM~1/x.dat", "x");
    WriteFile(point + "/HIDDEN.TXT", "x");
    WriteFile(point + "/SHOWN.TXT", "x");
    ASSERT_TRUE(Shell("fatattr +s '" + point + "/SYSTEM~1' && fatattr +h '" + point + "/HIDDEN.TXT'"));
    EXPECT_EQ(Listed(Scan(point + "/")), std::set<std::string>{"\\SHOWN.TXT"});
}

TEST_F(RealDisksTest, LabelsAndDrivesOfAnExtDisk) {
    if (!Shell("command -v mkfs.ext2 && command -v losetup"))
        GTEST_SKIP() << "no mkfs.ext2 or losetup here";
    const std::string image = Image("ext.img", 4);
    ASSERT_TRUE(Shell("mkfs.ext2 -q -L 'My Disc' '" + image + "'"));
    const std::string list = temp.File("loop");
    if (!Shell("losetup -f --show '" + image + "' > '" + list + "'"))
        GTEST_SKIP() << "no free loop device here";
    std::string device = ReadFile(list);
    device.erase(device.find_last_not_of("\n") + 1);
    loops_.push_back(device);
    const std::string point = Mountpoint("mnt/disk");
    const std::string elsewhere = Mountpoint("elsewhere");
    ASSERT_TRUE(Shell("mount -t ext2 " + device + " '" + point + "'"));
    mounted_.push_back(point);
    fs::create_directories(point + "/docs");
    WriteFile(point + "/docs/a.doc", "x");

    // The label, by absolute and relative paths, from udev's link where there
    // is one, else from the file system itself; and the drive's own.
    const std::string noLinks = Mountpoint("by-label");
    const std::string links = Mountpoint("by-label-linked");
    fs::create_symlink(device, links + "/Linked\\x20Name");
    const std::string before = fs::current_path();
    fs::current_path(temp.Path());
    for (const std::string& at : {point, point + "/", std::string("mnt/disk"), std::string("mnt/disk/"),
                                  device + "/"})
        EXPECT_EQ(VolumeLabel(at, noLinks), "My Disc") << at;
    EXPECT_EQ(VolumeLabel("mnt/disk", links), "Linked Name");
    EXPECT_EQ(VolumeLabel("mnt", noLinks), "") << "not a mount point";
    fs::current_path(before);

    // The drive is read wherever its medium is mounted, and is not available
    // without one.
    const std::string byPath = Scan(point + "/");
    EXPECT_EQ(Listed(byPath), (std::set<std::string>{"\\docs\\a.doc", "\\docs", "\\lost+found"}));
    EXPECT_EQ(Scan(device + "/"), byPath);
    ASSERT_EQ(::umount2(point.c_str(), 0), 0);
    mounted_.clear();
    EXPECT_EQ(Scan(device + "/"), "not available");
    ASSERT_TRUE(Shell("mount -t ext2 -o ro " + device + " '" + elsewhere + "'"));
    mounted_.push_back(elsewhere);
    EXPECT_EQ(Scan(device + "/"), byPath);
}

} // namespace
} // namespace quillory
