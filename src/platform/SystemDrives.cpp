#include "platform/SystemDrives.h"

#include "scan/MountTable.h"

#include <fstream>

namespace quillory {

std::string FindFirstOpticalDrive(const std::string& mountTablePath) {
    std::ifstream table(mountTablePath);
    const auto mounts = ParseMountTable(table);
    return FirstOpticalDrive(mounts);
}

} // namespace quillory
