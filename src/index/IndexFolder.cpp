#include "index/IndexFolder.h"

#include "common/Error.h"
#include "common/FileSystem.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/Path.h"
#include "index/PartFormat.h"
#include "index/SegmentFormat.h"
#include "store/Database.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {

namespace {

constexpr char DatabaseFileName[] = "database"; // the database's path, in its index folder
constexpr char WritingPrefix[] = ".writing-";
// Seconds after which a file being written that no writer holds is a leftover.
constexpr time_t LeftoverAge = 60;

std::string Hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::string Reason(int error) {
    return std::strerror(error);
}

// A folder of the user's own, opened without following a symbolic link;
// -1 with errno set when it is none (ENOENT when it is missing, EPERM when
// it is not the user's alone).
int OpenOwnFolder(int parent, const std::string& name) {
    const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_uid != ::geteuid() || (status.st_mode & 022) != 0) {
        ::close(fd);
        errno = EPERM;
        return -1;
    }
    return fd;
}

// Opens (making when `make`) the folder `name` of `parent`; -1 when it is
// missing and not to be made. Raises Error.
int OpenFolder(int parent, const std::string& name, const std::string& path, bool make) {
    if (make && ::mkdirat(parent, name.c_str(), 0700) != 0 && errno != EEXIST)
        throw Error(FormatMessage(msg::IndexFolderUnusable, {path, Reason(errno)}));
    const int fd = OpenOwnFolder(parent, name);
    if (fd < 0 && errno == ENOENT && !make)
        return -1;
    if (fd < 0 && (errno == EPERM || errno == ELOOP || errno == ENOTDIR))
        throw Error(FormatMessage(msg::IndexFolderNotOwn, path));
    if (fd < 0)
        throw Error(FormatMessage(msg::IndexFolderUnusable, {path, Reason(errno)}));
    return fd;
}

std::optional<std::string> ReadSmallFile(int folder, const char* name) {
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string text(4096, '\0');
    const ssize_t got = ::read(fd, text.data(), text.size());
    ::close(fd);
    if (got < 0)
        return std::nullopt;
    text.resize(static_cast<std::size_t>(got));
    return text;
}

// Writes the small file `name` of `folder` through a file of its own renamed
// into place; raises Error.
void WriteSmallFile(int folder, const char* name, std::string_view text,
                    const std::string& folderPath) {
    const std::string temporary = IndexFolder::WritingName();
    const int fd =
        ::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        throw Error(FormatMessage(msg::IndexFolderUnusable, {folderPath, Reason(errno)}));
    ::flock(fd, LOCK_EX | LOCK_NB);
    const bool whole = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    int failure = whole ? 0 : (errno != 0 ? errno : ENOSPC);
    if (::close(fd) != 0 && failure == 0)
        failure = errno;
    if (failure == 0 && ::renameat(folder, temporary.c_str(), folder, name) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlinkat(folder, temporary.c_str(), 0);
        throw Error(FormatMessage(msg::IndexFolderUnusable, {folderPath, Reason(failure)}));
    }
}

// Removes every entry of the folder open as `folder` (an entry that is a
// folder itself, when it is empty): never anything a symbolic link points
// at. Returns 0, or the error of an entry that stays.
int EmptyFolder(int folder) {
    const auto entries = EntriesOf(folder);
    if (!entries)
        return errno;
    int failure = 0;
    for (const DirectoryEntry& entry : *entries) {
        if (::unlinkat(folder, entry.Name.c_str(), entry.IsDirectory ? AT_REMOVEDIR : 0) != 0 &&
            !(errno == EISDIR && ::unlinkat(folder, entry.Name.c_str(), AT_REMOVEDIR) == 0) &&
            errno != ENOENT)
            failure = errno;
    }
    return failure;
}

// Removes the folder `name` of `root`, or the symbolic link or file in its
// place; returns 0 or the error.
int RemoveFolder(int root, const std::string& name) {
    const int fd = ::openat(root, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return 0;
        // A symbolic link or a file: only it goes.
        return ::unlinkat(root, name.c_str(), 0) == 0 || errno == ENOENT ? 0 : errno;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || status.st_uid != ::geteuid()) {
        ::close(fd);
        return EPERM;
    }
    const int failure = EmptyFolder(fd);
    ::close(fd);
    if (failure != 0)
        return failure;
    return ::unlinkat(root, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT ? 0 : errno;
}

std::string FolderName(const std::string& databasePath) {
    return Hex(CheckOf(databasePath));
}

// The cache folder above the index folders, opened (made when `make`); -1
// when it is missing and not to be made.
int OpenCacheRoot(bool make) {
    const std::string root = IndexFolder::CacheRoot();
    if (root.empty())
        throw Error(msg::NoCacheFolder);
    const std::string parent = root.substr(0, root.rfind('/'));
    if (make)
        ::mkdir(parent.c_str(), 0700);
    const int above = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (above < 0 && errno == ENOENT && !make)
        return -1;
    if (above < 0)
        throw Error(FormatMessage(msg::IndexFolderUnusable, {root, Reason(errno)}));
    try {
        const int fd = OpenFolder(above, root.substr(root.rfind('/') + 1), root, make);
        ::close(above);
        return fd;
    } catch (...) {
        ::close(above);
        throw;
    }
}

} // namespace

std::string IndexFolder::CacheRoot() {
    // A relative XDG_CACHE_HOME is to be ignored, as the base directory rules say.
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/')
        return JoinPath(cache, "Quillory");
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return JoinPath(JoinPath(home, ".cache"), "Quillory");
    return {};
}

std::string IndexFolder::RandomName() {
    // Drawn afresh each time: a forked process must not draw its parent's names.
    std::random_device random;
    return Hex(std::uint64_t{random()} << 32 | random());
}

std::string IndexFolder::WritingName() {
    return WritingPrefix + RandomName();
}

std::shared_ptr<const IndexFolder> IndexFolder::Open(const std::string& databasePath, bool make) {
    const int root = OpenCacheRoot(make);
    if (root < 0)
        return nullptr;
    const std::string name = FolderName(databasePath);
    const std::string path = JoinPath(CacheRoot(), name);
    int fd = -1;
    try {
        fd = OpenFolder(root, name, path, make);
    } catch (...) {
        ::close(root);
        throw;
    }
    ::close(root);
    if (fd < 0)
        return nullptr;
    std::shared_ptr<const IndexFolder> folder(new IndexFolder(fd, path));
    const auto owner = ReadSmallFile(fd, DatabaseFileName);
    if (owner && *owner != databasePath)
        throw Error(FormatMessage(msg::IndexFolderOfAnother, path));
    if (!owner && make)
        WriteSmallFile(fd, DatabaseFileName, databasePath, path);
    return folder;
}

IndexFolder::~IndexFolder() {
    ::close(fd_);
}

std::vector<std::string> IndexFolder::SegmentNames() const {
    std::vector<std::string> names;
    for (const DirectoryEntry& entry : EntriesOf(fd_).value_or(std::vector<DirectoryEntry>())) {
        if (entry.Name[0] != '.' && entry.Name.ends_with(SegmentExtension))
            names.push_back(entry.Name);
    }
    return names;
}

void IndexFolder::RemoveLeftovers() const {
    for (const DirectoryEntry& entry : EntriesOf(fd_).value_or(std::vector<DirectoryEntry>())) {
        const std::string& name = entry.Name;
        if (name == DatabaseFileName || entry.IsDirectory ||
            (name[0] != '.' && name.ends_with(SegmentExtension)))
            continue;
        if (name.starts_with(WritingPrefix) && !Abandoned(name))
            continue;
        ::unlinkat(fd_, name.c_str(), 0);
    }
}

bool IndexFolder::Abandoned(const std::string& name) const {
    // A writer holds its file locked however long it takes, and the lock
    // goes with it; one just made may not hold it yet.
    struct stat status {};
    if (::fstatat(fd_, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        status.st_mtime + LeftoverAge >= ::time(nullptr))
        return false;
    if (!S_ISREG(status.st_mode))
        return true;
    const int fd = ::openat(fd_, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

bool IndexFolder::TryHold() const {
    return ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

void DropIndexFolder(const std::string& databasePath) {
    const std::string root = IndexFolder::CacheRoot();
    if (root.empty())
        return;
    const int rootFd = OpenOwnFolder(AT_FDCWD, root);
    if (rootFd < 0) {
        if (errno == ENOENT)
            return;
        throw Error(errno == EPERM || errno == ELOOP || errno == ENOTDIR
                        ? FormatMessage(msg::IndexFolderNotOwn, root)
                        : FormatMessage(msg::IndexNotRemoved, {root, Reason(errno)}));
    }
    const std::string name = FolderName(databasePath);
    const int failure = RemoveFolder(rootFd, name);
    ::close(rootFd);
    if (failure != 0)
        throw Error(FormatMessage(msg::IndexNotRemoved, {JoinPath(root, name), Reason(failure)}));
}

void RemoveIndexesOfGoneDatabases() {
    const std::string root = IndexFolder::CacheRoot();
    const int rootFd = root.empty() ? -1 : OpenOwnFolder(AT_FDCWD, root);
    if (rootFd < 0)
        return;
    for (const DirectoryEntry& entry : EntriesOf(rootFd).value_or(std::vector<DirectoryEntry>())) {
        const int fd = OpenOwnFolder(rootFd, entry.Name);
        if (fd < 0)
            continue;
        // A database whose parent directory is missing may be on media taken
        // out, and comes back with it; one whose parent is there is gone.
        const auto owner = ReadSmallFile(fd, DatabaseFileName);
        ::close(fd);
        if (owner && !IsDatabase(*owner) && IsDirectory(owner->substr(0, owner->rfind('/') + 1)))
            RemoveFolder(rootFd, entry.Name);
    }
    ::close(rootFd);
}

} // namespace quillory
