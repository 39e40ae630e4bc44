#include "scan/Walk.h"

#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "scan/EntryTime.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillory {

namespace {

// Each level of the walk keeps its directory open while it descends, so a deep
// tree needs as many descriptors as it has levels.
void AllowManyOpenDirectories() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

struct Identity {
    dev_t Device;
    ino_t Inode;
    bool operator==(const Identity&) const = default;
};

class Walker {
public:
    Walker(EntrySink& sink, const std::string& location) : sink_(sink), location_(location) {}

    void Run(int topFd, const Identity& top, std::string directory) {
        device_ = top.Device;
        ancestors_.push_back(top);
        WalkDirectory(topFd, directory);
    }

private:
    void WalkDirectory(int fd, std::string& directory);
    void Descend(DIR* dir, const char* name, const struct stat& info, std::string& directory);

    EntrySink& sink_;
    const std::string& location_;
    dev_t device_ = 0;
    std::vector<Identity> ancestors_;
};

void Walker::WalkDirectory(int fd, std::string& directory) {
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            const int error = errno;
            ::closedir(dir);
            if (error != 0)
                throw Error(FormatMessage(msg::CannotReadFile, location_));
            return;
        }
        const char* name = entry->d_name;
        if (name[0] == '.')
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == EIO) {
                ::closedir(dir);
                throw Error(FormatMessage(msg::CannotReadFile, location_));
            }
            continue; // gone since it was listed
        }
        WalkEntry walked;
        walked.Name = name;
        walked.Time = EntryLocalTime(info.st_mtime);
        if (S_ISDIR(info.st_mode)) {
            try {
                Descend(dir, name, info, directory);
            } catch (...) {
                ::closedir(dir);
                throw;
            }
            walked.Kind = EntryKind::Directory;
        } else if (S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) {
            walked.Size = info.st_size;
        } else {
            continue;
        }
        walked.Directory = directory;
        try {
            sink_.Entry(walked);
        } catch (...) {
            ::closedir(dir);
            throw;
        }
    }
}

void Walker::Descend(DIR* dir, const char* name, const struct stat& info, std::string& directory) {
    const Identity identity{info.st_dev, info.st_ino};
    if (info.st_dev != device_ ||
        std::find(ancestors_.begin(), ancestors_.end(), identity) != ancestors_.end())
        return;
    const int child = ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (child < 0)
        return; // cannot be listed: only its own record is written
    const std::size_t length = directory.size();
    directory += name;
    directory += '\\';
    ancestors_.push_back(identity);
    WalkDirectory(child, directory);
    ancestors_.pop_back();
    directory.resize(length);
}

Identity IdentityOf(const struct stat& info) {
    return {info.st_dev, info.st_ino};
}

} // namespace

void AddItems(const std::string& location, const std::string& topDirectory, EntrySink& sink) {
    AllowManyOpenDirectories();
    const int top = ::open(location.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat info {};
    if (top < 0 || ::fstat(top, &info) != 0) {
        if (top >= 0)
            ::close(top);
        throw Error(FormatMessage(msg::CannotOpenFile, location));
    }
    const Identity identity = IdentityOf(info);
    Walker(sink, location).Run(top, identity, topDirectory);
    // A disc ejected or a tree removed during the walk leaves a catalog of a
    // part of it: that is a failed scan, not a smaller disk.
    struct stat after {};
    if (::stat(location.c_str(), &after) != 0 || !(IdentityOf(after) == identity))
        throw Error(FormatMessage(msg::LocationVanished, location));
}

} // namespace quillory
