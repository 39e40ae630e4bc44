#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillory {

// Whether `path` names an existing directory (symbolic links followed).
bool IsDirectory(const std::string& path);

// The visible entries of `directory` (names not beginning with "."), in the
// order the file system lists them; nothing when it cannot be read.
std::optional<std::vector<std::string>> VisibleEntries(const std::string& directory);

// Every entry of `directory` but "." and "..", hidden ones included; nothing
// when it cannot be read.
std::vector<std::string> AllEntries(const std::string& directory);

// An open directory, for looking up many names in it without walking its
// path each time. Invalid (At() gives AT_FDCWD) when it cannot be opened;
// then names are to be given as whole paths.
class DirectoryHandle {
public:
    explicit DirectoryHandle(const std::string& path);
    ~DirectoryHandle();
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;

    bool Valid() const { return fd_ >= 0; }
    // The descriptor to look names up from, for openat and fstatat.
    int At() const;

private:
    int fd_;
};

// `path` made absolute, with symbolic links, "." and ".." resolved; empty
// when it does not exist.
std::string RealPath(const std::string& path);

} // namespace quillory
