#include "platform/SystemDrives.h"

#include "common/FileSystem.h"
#include "common/Path.h"
#include "scan/InputLocation.h"

#include <blkid/blkid.h>
#include <cctype>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace quillory {

namespace {

std::vector<MountEntry> ReadTable(const std::string& path) {
    std::ifstream table(path);
    return ParseMountTable(table);
}

// udev writes a label's blanks and other bytes as "\x20": undone here.
std::string DecodedLabel(const std::string& name) {
    std::string label;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name.compare(i, 2, "\\x") == 0 && i + 3 < name.size() &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 3]))) {
            label += static_cast<char>(std::stoi(name.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            label += name[i];
        }
    }
    return label;
}

std::optional<std::string> LabelFromLinks(const std::string& device,
                                          const std::string& byLabelDirectory) {
    for (const std::string& name : AllEntries(byLabelDirectory)) {
        if (RealPath(byLabelDirectory + "/" + name) == device)
            return DecodedLabel(name);
    }
    return std::nullopt;
}

std::string LabelFromFileSystem(const std::string& device) {
    blkid_probe probe = ::blkid_new_probe_from_filename(device.c_str());
    if (!probe)
        return {};
    std::string label;
    const char* value = nullptr;
    if (::blkid_do_safeprobe(probe) == 0 &&
        ::blkid_probe_lookup_value(probe, "LABEL", &value, nullptr) == 0 && value)
        label = value;
    ::blkid_free_probe(probe);
    return label;
}

// The device whose medium `location` shows: the drive itself, or the device
// mounted at the location; empty when it is neither.
std::string DeviceAt(const std::string& location) {
    // "/dev/sr0/" names the drive, not a directory in it.
    const std::string real = RealPath(WithoutTrailingSeparator(location));
    if (real.empty())
        return {};
    if (IsDrive(real))
        return real;
    std::string device;
    for (const MountEntry& entry : ReadTable("/proc/self/mounts")) {
        if (RealPath(entry.MountPoint) == real)
            device = entry.Device; // the last mount on a point is the one in sight
    }
    return IsDrive(device) ? RealPath(device) : std::string();
}

} // namespace

std::string FindFirstOpticalDrive(const std::string& blockDirectory) {
    return FirstOpticalDrive(AllEntries(blockDirectory));
}

MountedVolumes ReadMountedVolumes() {
    return {ReadTable("/proc/self/mounts"), ReadTable("/etc/fstab")};
}

std::string VolumeLabel(const std::string& location, const std::string& byLabelDirectory) {
    const std::string device = DeviceAt(location);
    if (device.empty())
        return {};
    return LabelFromLinks(device, byLabelDirectory).value_or(LabelFromFileSystem(device));
}

} // namespace quillory
