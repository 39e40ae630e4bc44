#include "common/Path.h"

#include <dirent.h>
#include <memory>
#include <strings.h>
#include <sys/stat.h>

namespace quillory {

std::string WithTrailingSeparator(std::string path) {
    if (!path.empty() && path.back() != PathSeparator)
        path += PathSeparator;
    return path;
}

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == PathSeparator)
        path.pop_back();
    return path;
}

std::string JoinPath(std::string_view directory, std::string_view name) {
    std::string joined = WithTrailingSeparator(std::string(directory));
    if (joined.empty())
        joined += PathSeparator;
    while (!name.empty() && name.front() == PathSeparator)
        name.remove_prefix(1);
    joined += name;
    return joined;
}

namespace {

bool EntryExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

std::string FindEntryIgnoringCase(std::string_view directory, std::string_view name) {
    const std::string exact = JoinPath(directory, name);
    if (EntryExists(exact))
        return exact;
    const std::string wanted(name);
    std::unique_ptr<DIR, DirCloser> dir(::opendir(std::string(directory).c_str()));
    if (!dir)
        return {};
    while (const dirent* entry = ::readdir(dir.get())) {
        if (::strcasecmp(entry->d_name, wanted.c_str()) == 0)
            return JoinPath(directory, entry->d_name);
    }
    return {};
}

} // namespace quillory
