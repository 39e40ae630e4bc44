#include "scan/InputLocation.h"

#include "common/Path.h"

#include <algorithm>
#include <sys/stat.h>

namespace quillory {

namespace {

// The device number of the block device at `path`, or nothing.
std::optional<dev_t> BlockDevice(const std::string& path) {
    struct stat info {};
    if (::stat(WithoutTrailingSeparator(path).c_str(), &info) != 0 || !S_ISBLK(info.st_mode))
        return std::nullopt;
    return info.st_rdev;
}

// The number of "srN", or nothing for another name.
std::optional<unsigned long> OpticalNumber(const std::string& name) {
    if (name.size() < 3 || name.compare(0, 2, "sr") != 0 ||
        !std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::stoul(name.substr(2));
}

} // namespace

std::string FirstOpticalDrive(const std::vector<std::string>& blockDevices) {
    std::optional<unsigned long> first;
    for (const std::string& name : blockDevices) {
        const auto number = OpticalNumber(name);
        if (number && (!first || *number < *first))
            first = number;
    }
    return first ? "/dev/sr" + std::to_string(*first) + "/" : std::string();
}

bool IsDrive(const std::string& location) {
    return BlockDevice(location).has_value();
}

std::optional<std::string> ScannedDirectory(const std::string& location,
                                            const std::vector<MountEntry>& mounted) {
    const auto drive = BlockDevice(location);
    if (!drive)
        return location;
    for (const MountEntry& entry : mounted) {
        if (BlockDevice(entry.Device) == drive)
            return WithTrailingSeparator(entry.MountPoint);
    }
    return std::nullopt;
}

} // namespace quillory
