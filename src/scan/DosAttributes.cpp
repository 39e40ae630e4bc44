#include "scan/DosAttributes.h"

#include <cstdint>
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <optional>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace quillory {

namespace {

constexpr char NtfsAttribute[] = "system.ntfs_attrib_be";

bool Marked(std::uint32_t attributes) {
    return (attributes & (HiddenAttribute | SystemAttribute)) != 0;
}

// FAT keeps the attributes in the directory entry; the driver gives them
// through an ioctl on the entry opened.
class FatAttributes final : public AttributeQuery {
public:
    bool HiddenOrSystem(int directoryFd, const char* name) const override {
        const int fd = ::openat(directoryFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return false;
        std::uint32_t attributes = 0;
        const bool read = ::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) == 0;
        ::close(fd);
        return read && Marked(attributes);
    }
};

// NTFS drivers give the attributes as an extended attribute of four bytes,
// most significant first. The entry is named through the directory's
// descriptor, so no path is built and a symbolic link is not followed.
std::optional<std::uint32_t> NtfsAttributesOf(const std::string& path) {
    unsigned char bytes[4];
    if (::lgetxattr(path.c_str(), NtfsAttribute, bytes, sizeof bytes) != sizeof bytes)
        return std::nullopt;
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | bytes[3];
}

class NtfsAttributes final : public AttributeQuery {
public:
    bool HiddenOrSystem(int directoryFd, const char* name) const override {
        const auto attributes = NtfsAttributesOf("/proc/self/fd/" + std::to_string(directoryFd) +
                                                 "/" + name);
        return attributes && Marked(*attributes);
    }
};

} // namespace

std::unique_ptr<AttributeQuery> DosAttributesFor(const std::string& fileSystemType,
                                                 const std::string& top) {
    if (fileSystemType == "vfat" || fileSystemType == "msdos" || fileSystemType == "exfat")
        return std::make_unique<FatAttributes>();
    if (fileSystemType == "ntfs" || fileSystemType == "ntfs3")
        return std::make_unique<NtfsAttributes>();
    // A FUSE driver may be one for NTFS: it answers the attribute at the top.
    if (std::string_view(fileSystemType).starts_with("fuse") && NtfsAttributesOf(top))
        return std::make_unique<NtfsAttributes>();
    return nullptr;
}

} // namespace quillory
