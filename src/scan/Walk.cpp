#include "scan/Walk.h"

#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "scan/EntryTime.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace quillory {

namespace {

// The most directories the walk holds open at once, the top included. Below
// that depth the shallowest open level gives up its descriptor, so a tree of
// any depth scans under a low limit (ulimit -n 32) beside the few descriptors
// the rest of the program holds.
constexpr std::size_t MaxOpenLevels = 16;
static_assert(MaxOpenLevels >= 3, "the top and the parent of a new level stay open");

constexpr int DirectoryFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

struct Identity {
    dev_t Device;
    ino_t Inode;
    bool operator==(const Identity&) const = default;
};

Identity IdentityOf(const struct stat& info) {
    return {info.st_dev, info.st_ino};
}

// What the walk keeps of an entry's status.
struct Facts {
    mode_t Mode;
    std::time_t Modified;
    std::int64_t Size;
    Identity Id;
};

struct Listed {
    std::string Name;
    Facts Status;
};

// A directory between the top and the place the walk has reached.
struct Level {
    std::string Name; // in its parent; empty at the top
    Identity Id{};
    std::time_t Modified = 0;        // for its own record, written after its contents
    std::size_t DirectoryLength = 0; // of the directory text its own record carries
    DIR* Stream = nullptr;           // while it is read as it is walked
    int Fd = -1;                     // -1 once the descriptor is given up
    std::vector<Listed> Ahead;       // what was still unread when it was given up
    std::size_t Next = 0;
};

// A directory the walk cannot open is left out silently only when access is
// denied (its own record stands for it) or when it went away or was replaced
// since it was listed. Anything else (no descriptors, no memory, an I/O error)
// would leave out a part of the disk unnoticed.
bool MayBeLeftOut(int error) {
    return error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR ||
           error == ELOOP;
}

class Walker {
public:
    Walker(EntrySink& sink, const std::string& location, const AttributeQuery* attributes)
        : sink_(sink), location_(location), attributes_(attributes) {}
    ~Walker() {
        for (Level& level : levels_)
            Close(level);
    }
    Walker(const Walker&) = delete;
    Walker& operator=(const Walker&) = delete;

    void Run(int topFd, const Identity& top, const std::string& topDirectory);

private:
    bool Next(Level& level, const char*& name, Facts& facts);
    bool Read(DIR* dir, const char*& name, Facts& facts);
    bool Enter(const char* name, const Facts& facts);
    void Leave();
    void Emit(const char* name, const Facts& facts);
    void GiveUp(Level& level);
    void Reopen(std::size_t index);
    std::size_t OpenLevels() const { return 1 + levels_.size() - firstOpen_; }
    std::string PathOf(std::size_t index) const;
    [[noreturn]] void Fail(std::size_t index, int error) const;
    static void Close(Level& level);

    EntrySink& sink_;
    const std::string& location_;
    const AttributeQuery* attributes_; // where the file system keeps DOS attributes
    dev_t device_ = 0;
    std::string directory_;
    std::vector<Level> levels_;
    // The top and every level from this one down hold a descriptor; those
    // between have given theirs up.
    std::size_t firstOpen_ = 1;
};

void Walker::Run(int topFd, const Identity& top, const std::string& topDirectory) {
    device_ = top.Device;
    directory_ = topDirectory;
    Level& first = levels_.emplace_back();
    first.Id = top;
    first.Fd = topFd;
    first.Stream = ::fdopendir(topFd);
    if (!first.Stream)
        Fail(0, errno);
    const char* name = nullptr;
    Facts facts{};
    while (!levels_.empty()) {
        if (!Next(levels_.back(), name, facts))
            Leave();
        else if (!S_ISDIR(facts.Mode) || !Enter(name, facts))
            Emit(name, facts);
    }
}

// The next visible entry of `level`, from its stream or from what was read
// ahead; false when there is none left.
bool Walker::Next(Level& level, const char*& name, Facts& facts) {
    if (level.Stream)
        return Read(level.Stream, name, facts);
    if (level.Next == level.Ahead.size())
        return false;
    const Listed& listed = level.Ahead[level.Next++];
    name = listed.Name.c_str();
    facts = listed.Status;
    return true;
}

bool Walker::Read(DIR* dir, const char*& name, Facts& facts) {
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0)
                throw Error(FormatMessage(msg::CannotReadFile, location_));
            return false;
        }
        if (entry->d_name[0] == '.')
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == EIO)
                throw Error(FormatMessage(msg::CannotReadFile, location_));
            continue; // gone since it was listed
        }
        if (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode))
            continue;
        if (attributes_ && attributes_->HiddenOrSystem(::dirfd(dir), entry->d_name))
            continue;
        name = entry->d_name;
        facts = {info.st_mode, info.st_mtime, std::int64_t(info.st_size), IdentityOf(info)};
        return true;
    }
}

// Opens the directory `name` of the deepest level as a new level; false when it
// is only recorded: on another file system, one of its own ancestors, or left
// out by MayBeLeftOut.
bool Walker::Enter(const char* name, const Facts& facts) {
    if (facts.Id.Device != device_ ||
        std::any_of(levels_.begin(), levels_.end(),
                    [&](const Level& level) { return level.Id == facts.Id; }))
        return false;
    const std::size_t parent = levels_.size() - 1;
    if (parent != 0 && parent < firstOpen_)
        Reopen(parent);
    if (OpenLevels() == MaxOpenLevels)
        GiveUp(levels_[firstOpen_++]);
    Level child;
    child.Name = name;
    child.Id = facts.Id;
    child.Modified = facts.Modified;
    child.DirectoryLength = directory_.size();
    const int parentFd = levels_[parent].Fd;
    levels_.push_back(std::move(child));
    Level& level = levels_.back();
    level.Fd = ::openat(parentFd, level.Name.c_str(), DirectoryFlags);
    struct stat info {};
    const bool opened = level.Fd >= 0 && ::fstat(level.Fd, &info) == 0;
    if (!opened && !MayBeLeftOut(errno))
        Fail(levels_.size() - 1, errno);
    if (!opened || !(IdentityOf(info) == facts.Id)) { // else replaced since it was listed
        Close(level);
        levels_.pop_back();
        firstOpen_ = std::min(firstOpen_, levels_.size());
        return false;
    }
    level.Stream = ::fdopendir(level.Fd);
    if (!level.Stream)
        Fail(levels_.size() - 1, errno);
    directory_ += level.Name;
    directory_ += '\\';
    return true;
}

// Closes the deepest level and writes its own record after its contents.
void Walker::Leave() {
    Level& level = levels_.back();
    Close(level);
    if (levels_.size() > 1) {
        directory_.resize(level.DirectoryLength);
        Emit(level.Name.c_str(), {S_IFDIR, level.Modified, 0, level.Id});
    }
    levels_.pop_back();
    firstOpen_ = std::max<std::size_t>(1, std::min(firstOpen_, levels_.size()));
}

void Walker::Emit(const char* name, const Facts& facts) {
    WalkEntry walked;
    walked.Name = name;
    walked.Time = EntryLocalTime(facts.Modified);
    walked.Directory = directory_;
    if (S_ISDIR(facts.Mode))
        walked.Kind = EntryKind::Directory;
    else
        walked.Size = facts.Size;
    sink_.Entry(walked);
}

// Frees the descriptor of `level`, first reading ahead what its stream still
// holds, so only the opening of its sub-directories needs it again.
void Walker::GiveUp(Level& level) {
    if (level.Stream) {
        const char* name = nullptr;
        Facts facts{};
        while (Read(level.Stream, name, facts))
            level.Ahead.push_back({name, facts});
    }
    Close(level);
}

// Opens again the levels down to `index`, all of which gave up their
// descriptors, one name at a time from the top: a full path may be longer than
// the system accepts. A level found gone or replaced means the disk changed
// under the walk, which fails the scan as a vanished location does.
void Walker::Reopen(std::size_t index) {
    // Kept open: the deepest of them, leaving room for the level about to be entered.
    const std::size_t keepFrom = index + 3 > MaxOpenLevels ? index + 3 - MaxOpenLevels : 1;
    for (std::size_t at = 1; at <= index; ++at) {
        Level& level = levels_[at];
        level.Fd = ::openat(levels_[at - 1].Fd, level.Name.c_str(), DirectoryFlags);
        struct stat info {};
        if (level.Fd < 0 || ::fstat(level.Fd, &info) != 0) {
            const int error = errno;
            if (error == ENOENT || error == ENOTDIR || error == ELOOP)
                throw Error(FormatMessage(msg::LocationVanished, PathOf(at)));
            Fail(at, error);
        }
        if (!(IdentityOf(info) == level.Id))
            throw Error(FormatMessage(msg::LocationVanished, PathOf(at)));
        if (at - 1 >= 1 && at - 1 < keepFrom)
            Close(levels_[at - 1]);
    }
    firstOpen_ = keepFrom;
}

std::string Walker::PathOf(std::size_t index) const {
    std::string path = location_;
    for (std::size_t at = 1; at <= index; ++at) {
        if (path.empty() || path.back() != '/')
            path += '/';
        path += levels_[at].Name;
    }
    return path;
}

void Walker::Fail(std::size_t index, int error) const {
    throw Error(FormatMessage(msg::CannotReadDirectory, PathOf(index)) + ": " +
                std::system_category().message(error));
}

void Walker::Close(Level& level) {
    if (level.Stream)
        ::closedir(level.Stream);
    else if (level.Fd >= 0)
        ::close(level.Fd);
    level.Stream = nullptr;
    level.Fd = -1;
}

} // namespace

void AddItems(const std::string& location, const std::string& topDirectory, EntrySink& sink,
              const AttributeQuery* attributes) {
    const int top = ::open(location.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat info {};
    if (top < 0 || ::fstat(top, &info) != 0) {
        if (top >= 0)
            ::close(top);
        throw Error(FormatMessage(msg::CannotOpenFile, location));
    }
    const Identity identity = IdentityOf(info);
    Walker(sink, location, attributes).Run(top, identity, topDirectory);
    // A disc ejected or a tree removed during the walk leaves a catalog of a
    // part of it: that is a failed scan, not a smaller disk.
    struct stat after {};
    if (::stat(location.c_str(), &after) != 0 || !(IdentityOf(after) == identity))
        throw Error(FormatMessage(msg::LocationVanished, location));
}

} // namespace quillory
