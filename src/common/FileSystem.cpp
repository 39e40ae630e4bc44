#include "common/FileSystem.h"

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

namespace {

// The visible entries of `directory` that `keep` (given the open directory
// and the entry) takes, in the order the file system lists them.
template <typename Keep>
std::optional<std::vector<std::string>> VisibleEntriesWhere(const std::string& directory,
                                                            Keep keep) {
    DIR* dir = ::opendir(directory.c_str());
    if (!dir)
        return std::nullopt;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.' && keep(dir, *entry))
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

} // namespace

std::optional<std::vector<std::string>> VisibleEntries(const std::string& directory) {
    return VisibleEntriesWhere(directory, [](DIR*, const dirent&) { return true; });
}

std::optional<std::vector<std::string>> VisibleFiles(const std::string& directory) {
    return VisibleEntriesWhere(directory, [](DIR* dir, const dirent& entry) {
        // A link, or a file system that does not tell the type, is asked.
        if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
            return entry.d_type == DT_REG;
        struct stat info {};
        return ::fstatat(::dirfd(dir), entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
    });
}

std::vector<std::string> AllEntries(const std::string& directory) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(directory.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                names.emplace_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

std::optional<std::vector<DirectoryEntry>> EntriesOf(int directory) {
    const int fd = ::openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    std::vector<DirectoryEntry> entries;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            entries.push_back({std::string(name), entry->d_type == DT_DIR});
    }
    ::closedir(dir);
    return entries;
}

std::string RealPath(const std::string& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                           &std::free);
    return real ? std::string(real.get()) : std::string();
}

std::shared_ptr<const DirectoryHandle> DirectoryHandle::Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return std::shared_ptr<const DirectoryHandle>(new DirectoryHandle(fd));
}

DirectoryHandle::~DirectoryHandle() {
    ::close(fd_);
}

} // namespace quillory
