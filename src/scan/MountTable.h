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

// What the scanner knows of the system's file systems: those mounted now, and
// the mount points the system keeps for removable disks (/etc/fstab), which
// stay behind as empty directories while no disc is in.
struct MountedVolumes {
    std::vector<MountEntry> Mounted;
    std::vector<MountEntry> Configured;
};

// The entries in mount-table order. The table escapes blanks, tabs, newlines and
// backslashes in its fields as three octal digits ("\040"); they are undone here.
// Lines with fewer than three fields are skipped, and so are comments ("#"), so
// /etc/fstab reads the same way.
std::vector<MountEntry> ParseMountTable(std::istream& table);


// The mount point of the file system that holds `absolutePath` (a path without
// "." or ".." parts or symbolic links): the longest mount point that is the
// path itself or a directory above it. "/" when none is.
std::string MountPointFor(const std::string& absolutePath, const std::vector<MountEntry>& mounts);

// The type of the file system that holds `absolutePath` (that of the mount
// point MountPointFor gives), or an empty text when none is listed.
std::string FileSystemTypeOf(const std::string& absolutePath, const std::vector<MountEntry>& mounts);

// Whether `absolutePath` is the mount point of one of `mounts`.
bool IsMountPoint(const std::string& absolutePath, const std::vector<MountEntry>& mounts);

} // namespace quillory
