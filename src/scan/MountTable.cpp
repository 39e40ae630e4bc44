#include "scan/MountTable.h"

#include "common/Path.h"

#include <sstream>

namespace quillory {

namespace {

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

std::string Unescape(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) &&
            IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3])) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

} // namespace

std::vector<MountEntry> ParseMountTable(std::istream& table) {
    std::vector<MountEntry> mounts;
    std::string line;
    while (std::getline(table, line)) {
        if (line.empty() || line.front() == '#')
            continue; // a comment of /etc/fstab
        std::istringstream fields(line);
        MountEntry entry;
        if (fields >> entry.Device >> entry.MountPoint >> entry.FileSystemType) {
            entry.Device = Unescape(entry.Device);
            entry.MountPoint = Unescape(entry.MountPoint);
            mounts.push_back(std::move(entry));
        }
    }
    return mounts;
}

namespace {

// Whether `directory` is `path` or a directory above it.
bool Contains(const std::string& directory, const std::string& path) {
    if (directory == "/")
        return true;
    return path.compare(0, directory.size(), directory) == 0 &&
           (path.size() == directory.size() || path[directory.size()] == '/');
}

} // namespace

std::string MountPointFor(const std::string& absolutePath, const std::vector<MountEntry>& mounts) {
    const std::string path = WithoutTrailingSeparator(absolutePath);
    std::string best = "/";
    for (const MountEntry& entry : mounts) {
        const std::string point = WithoutTrailingSeparator(entry.MountPoint);
        if (Contains(point, path) && point.size() > best.size())
            best = point;
    }
    return best;
}

std::string FileSystemTypeOf(const std::string& absolutePath,
                             const std::vector<MountEntry>& mounts) {
    const std::string point = MountPointFor(absolutePath, mounts);
    std::string type;
    // The last of several mounts on one point is the one in sight.
    for (const MountEntry& entry : mounts) {
        if (WithoutTrailingSeparator(entry.MountPoint) == point)
            type = entry.FileSystemType;
    }
    return type;
}

bool IsMountPoint(const std::string& absolutePath, const std::vector<MountEntry>& mounts) {
    const std::string path = WithoutTrailingSeparator(absolutePath);
    for (const MountEntry& entry : mounts) {
        if (WithoutTrailingSeparator(entry.MountPoint) == path)
            return true;
    }
    return false;
}

} // namespace quillory
