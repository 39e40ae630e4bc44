#pragma once

#include "scan/MountTable.h"

#include <string>

namespace quillory {

// The mount point of the first optical drive in the system's mount table,
// ending in "/", or an empty text. `mountTablePath` is the table to read
// (tests give a file of their own).
std::string FindFirstOpticalDrive(const std::string& mountTablePath = "/proc/self/mounts");

// The file systems mounted now (/proc/self/mounts) and those the system
// mounts by configuration (/etc/fstab).
MountedVolumes ReadMountedVolumes();

// The label of the file system mounted at `location`, or an empty text when
// `location` is not a mount point or its file system has no label.
std::string VolumeLabel(const std::string& location);

} // namespace quillory
