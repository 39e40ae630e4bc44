#include "platform/SystemDrives.h"

#include "platform/Text.h"
#include "scan/MountTable.h"

#include <QDir>
#include <QStorageInfo>
#include <fstream>

namespace quillory {

namespace {

std::vector<MountEntry> ReadTable(const std::string& path) {
    std::ifstream table(path);
    return ParseMountTable(table);
}

} // namespace

std::string FindFirstOpticalDrive(const std::string& mountTablePath) {
    return FirstOpticalDrive(ReadTable(mountTablePath));
}

MountedVolumes ReadMountedVolumes() {
    return {ReadTable("/proc/self/mounts"), ReadTable("/etc/fstab")};
}

std::string VolumeLabel(const std::string& location) {
    const QStorageInfo storage(FromBytes(location));
    if (!storage.isValid() ||
        QDir::cleanPath(storage.rootPath()) != QDir::cleanPath(FromBytes(location)))
        return {};
    return ToBytes(storage.name());
}

} // namespace quillory
