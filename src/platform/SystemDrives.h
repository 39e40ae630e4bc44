#pragma once

#include <string>

namespace quillory {

// The mount point of the first optical drive in the system's mount table,
// ending in "/", or an empty text. `mountTablePath` is the table to read
// (tests give a file of their own).
std::string FindFirstOpticalDrive(const std::string& mountTablePath = "/proc/self/mounts");

} // namespace quillory
