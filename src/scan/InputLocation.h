#pragma once

#include "scan/MountTable.h"

#include <optional>
#include <string>
#include <vector>

namespace quillory {

// The input location names a directory, or a drive: a block device such as
// "/dev/sr0/" (stored, like every location, with a final "/"). A drive stays
// the same place whatever disc is in it, while the desktop mounts each disc
// at a mount point named after its own label.

// The first optical drive among the block devices the system knows (the names
// of /sys/block: "sr0", "sr1", ...), with or without a disc in it: its device
// path and a final "/" ("/dev/sr0/"), or an empty text when there is none.
std::string FirstOpticalDrive(const std::vector<std::string>& blockDevices);

// Whether `location` names a block device (symbolic links followed).
bool IsDrive(const std::string& location);

// The directory a scan of `location` reads: the location itself, or for a
// drive the mount point (with a final "/") where the file system on the drive
// is mounted now, the first in table order; nothing for a drive whose medium
// is missing or not mounted.
std::optional<std::string> ScannedDirectory(const std::string& location,
                                            const std::vector<MountEntry>& mounted);

} // namespace quillory
