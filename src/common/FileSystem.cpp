#include "common/FileSystem.h"

#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace flag: look first, then rename.
    struct stat info {};
    if (::lstat(to.c_str(), &info) == 0)
        return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

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

void WriteWholeFile(const std::string& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw Error(FormatMessage(msg::CannotCreateFile, path));
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t put = ::write(fd, text.data() + written, text.size() - written);
        if (put <= 0 && errno != EINTR)
            break;
        if (put > 0)
            written += static_cast<std::size_t>(put);
    }
    const bool closed = ::close(fd) == 0;
    if (written != text.size() || !closed)
        throw Error(FormatMessage(msg::CannotWriteFile, path));
}

std::string TemporaryPathFor(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, nameStart) + ".quillory-" + path.substr(nameStart) + ".part";
}

} // namespace quillory
