#include "common/FileSystem.h"

#include <dirent.h>
#include <sys/stat.h>

namespace quillory {

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::vector<std::string>> VisibleEntries(const std::string& directory) {
    DIR* dir = ::opendir(directory.c_str());
    if (!dir)
        return std::nullopt;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

} // namespace quillory
