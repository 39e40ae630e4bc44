#include "index/CatalogIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace quillory {

namespace {

constexpr std::int64_t NanosecondsPerSecond = 1000000000;

} // namespace

std::optional<CatalogIdentity> IdentityOf(const std::string& path) {
    return IdentityOf(AT_FDCWD, path);
}

std::optional<CatalogIdentity> IdentityOf(int directory, const std::string& path) {
    struct stat status {};
    if (::fstatat(directory, path.c_str(), &status, 0) != 0 || !S_ISREG(status.st_mode))
        return std::nullopt;
    CatalogIdentity identity;
    identity.Device = status.st_dev;
    identity.Inode = status.st_ino;
    identity.Size = status.st_size;
    identity.ModifiedSeconds = status.st_mtim.tv_sec;
    identity.ModifiedNanoseconds = status.st_mtim.tv_nsec;
    identity.ChangedSeconds = status.st_ctim.tv_sec;
    identity.ChangedNanoseconds = status.st_ctim.tv_nsec;
    identity.FileName = path.substr(path.rfind('/') + 1);
    return identity;
}

std::int64_t CoarseClockNow() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return now.tv_sec * NanosecondsPerSecond + now.tv_nsec;
}

bool SettledBefore(const CatalogIdentity& identity, std::int64_t readAt) {
    return identity.ChangedSeconds * NanosecondsPerSecond + identity.ChangedNanoseconds < readAt;
}

std::optional<CatalogIdentity> SettledIdentityOf(const std::string& path, std::int64_t& readAt) {
    const std::optional<CatalogIdentity> identity = IdentityOf(path);
    if (!identity)
        return std::nullopt;
    // A clock tick is a few milliseconds; a file stamped further ahead comes
    // from a clock other than this one, a file server's, say.
    for (int wait = 0; wait < 100; ++wait) {
        readAt = CoarseClockNow();
        if (SettledBefore(*identity, readAt))
            return IdentityOf(path) == identity ? identity : std::nullopt;
        ::usleep(1000);
    }
    return std::nullopt;
}

} // namespace quillory
