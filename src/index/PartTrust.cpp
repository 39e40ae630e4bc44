#include "index/PartTrust.h"

#include "common/Error.h"
#include "index/CatalogSource.h"

#include <fcntl.h>
#include <initializer_list>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace quillory {

namespace {

constexpr std::int64_t Second = 1000000000;

// File systems whose change times this machine's kernel keeps as it
// changes a file.
constexpr std::initializer_list<std::uint32_t> LocalTypes = {
    0xEF53,     // ext2, ext3, ext4
    0x58465342, // xfs
    0x9123683E, // btrfs
    0x01021994, // tmpfs
    0x858458F6, // ramfs
    0xF2F52010, // f2fs
    0x3153464A, // jfs
    0x52654973, // reiserfs
    0x3434,     // nilfs2
    0xCA451A4E, // bcachefs
    0x2FC12FC1, // zfs
    0x794C7630, // overlay
    0x7366746E, // ntfs3
};
// File systems whose times a server or another program sets.
constexpr std::initializer_list<std::uint32_t> RemoteTypes = {
    0x6969,     // nfs
    0x517B,     // smb
    0xFF534D42, // cifs
    0xFE534D42, // smb2
    0x00C36400, // ceph
    0x01021997, // 9p
    0x6B414653, // afs
};

bool Among(std::uint32_t type, std::initializer_list<std::uint32_t> types) {
    for (std::uint32_t known : types) {
        if (known == type)
            return true;
    }
    return false;
}

} // namespace

DatabaseTimes::DatabaseTimes(int directory) : directory_(directory) {
    struct statfs system {};
    struct stat status {};
    if (::fstatfs(directory, &system) != 0 || ::fstat(directory, &status) != 0)
        return;
    const auto type = static_cast<std::uint32_t>(system.f_type);
    times_ = Among(type, LocalTypes)    ? ChangeTimes::Local
             : Among(type, RemoteTypes) ? ChangeTimes::Remote
                                        : ChangeTimes::Unkept;
    device_ = status.st_dev;
}

bool DatabaseTimes::Settled(const CatalogStamp& stamp) const {
    return stamp.Identity.Device == device_ && quillory::Settled(stamp, times_);
}

std::int64_t SettleWindow(ChangeTimes times) {
    return times == ChangeTimes::Local ? 3 * Second : (3 + 300) * Second;
}

bool Settled(const CatalogStamp& stamp, ChangeTimes times) {
    if (times == ChangeTimes::Unkept)
        return false;
    const CatalogIdentity& identity = stamp.Identity;
    const std::int64_t changed = identity.ChangedSeconds * Second + identity.ChangedNanoseconds;
    return stamp.ReadAt - changed >= SettleWindow(times);
}

std::optional<CatalogIdentity> DatabaseTimes::CurrentIdentity(const std::string& name) const {
    if (times_ != ChangeTimes::Remote)
        return IdentityOf(directory_, name);
    const int fd =
        ::openat(directory_, name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat status {};
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    ::close(fd);
    return regular ? std::optional(IdentityOf(status)) : std::nullopt;
}

std::optional<std::uint64_t> BytesCheckOf(const std::string& path) {
    try {
        return CatalogSource(AT_FDCWD, path).CheckAll();
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::optional<std::uint64_t> ContentCheckOf(int directory, const std::string& name,
                                            const CatalogIdentity& identity,
                                            const std::atomic<bool>* stop) {
    try {
        CatalogSource source(directory, name);
        if (!(source.Identity() == identity))
            return std::nullopt;
        const std::uint64_t check = source.CheckAll(stop);
        return source.IdentityNow() == identity ? std::optional(check) : std::nullopt;
    } catch (const Error&) {
        return std::nullopt;
    }
}

} // namespace quillory
