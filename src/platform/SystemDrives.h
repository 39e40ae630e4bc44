#pragma once

#include "scan/MountTable.h"

#include <string>

namespace quillory {

// The first optical drive the system knows, with or without a disc in it: its
// device path with a final "/" ("/dev/sr0/"), or an empty text. `blockDirectory`
// lists the block devices (tests give a directory of their own).
std::string FindFirstOpticalDrive(const std::string& blockDirectory = "/sys/block");

// The file systems mounted now (/proc/self/mounts) and those the system
// mounts by configuration (/etc/fstab).
MountedVolumes ReadMountedVolumes();

// The label of the medium at `location`: of the file system mounted there when
// `location` (relative or absolute) is a mount point, or of the medium in the
// drive when it names a drive. The label comes from udev's links in
// `byLabelDirectory` where one leads to the device, else from the file system
// itself as libblkid reads it where the device can be read; an empty text when
// there is none.
std::string VolumeLabel(const std::string& location,
                        const std::string& byLabelDirectory = "/dev/disk/by-label");

} // namespace quillory
