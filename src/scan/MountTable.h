#pragma once

#include <istream>
#include <string>
#include <vector>

namespace quillory {

// One line of the system's mount table (/proc/self/mounts).
struct MountEntry {
    std::string Device;
    std::string MountPoint;
    std::string FileSystemType;
};

// The entries in mount-table order. The table escapes blanks, tabs, newlines and
// backslashes in its fields as three octal digits ("\040"); they are undone here.
// Lines with fewer than three fields are skipped.
std::vector<MountEntry> ParseMountTable(std::istream& table);

// The mount point, with its final "/", of the first mounted file system that
// lives on an optical drive (a /dev/sr* device) or has an optical disc's file
// system type (iso9660, udf); empty when there is none.
std::string FirstOpticalDrive(const std::vector<MountEntry>& mounts);

} // namespace quillory
