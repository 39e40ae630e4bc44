#pragma once

#include <memory>
#include <string>

namespace quillory {

// The hidden (0x02) and system (0x04) attributes of disks made for DOS and
// Windows. Their own systems list neither such an entry nor anything below
// it; names beginning with "." are hidden on every file system besides.
inline constexpr unsigned HiddenAttribute = 0x02;
inline constexpr unsigned SystemAttribute = 0x04;

// Tells the walk which entries of a directory carry one of the two.
class AttributeQuery {
public:
    virtual ~AttributeQuery() = default;
    // Whether entry `name` of the open directory `directoryFd` is hidden or a
    // system entry; false when the file system cannot tell for it, so a query
    // that fails leaves the entry visible.
    virtual bool HiddenOrSystem(int directoryFd, const char* name) const = 0;
};

// The query for the file system of type `fileSystemType` (as the mount table
// names it) whose scanned top directory is `top`: the FAT ioctl on vfat,
// msdos and exfat, the "system.ntfs_attrib_be" attribute on ntfs, ntfs3 and a
// FUSE mount that answers it (ntfs-3g); nothing for any other file system,
// which then pays nothing.
std::unique_ptr<AttributeQuery> DosAttributesFor(const std::string& fileSystemType,
                                                 const std::string& top);

} // namespace quillory
