#include "index/CatalogIdentity.h"

#include <fcntl.h>
#include <time.h>

namespace quillory {

CatalogIdentity IdentityOf(const struct stat& status) {
    CatalogIdentity identity;
    identity.Device = status.st_dev;
    identity.Inode = status.st_ino;
    identity.Size = status.st_size;
    identity.ModifiedSeconds = status.st_mtim.tv_sec;
    identity.ModifiedNanoseconds = status.st_mtim.tv_nsec;
    identity.ChangedSeconds = status.st_ctim.tv_sec;
    identity.ChangedNanoseconds = status.st_ctim.tv_nsec;
    return identity;
}

std::optional<CatalogIdentity> IdentityOf(int directory, const std::string& name) {
    struct stat status {};
    if (::fstatat(directory, name.c_str(), &status, 0) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    return IdentityOf(status);
}

std::int64_t WallClockNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

} // namespace quillory
