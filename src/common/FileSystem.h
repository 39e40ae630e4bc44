#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillory {

// Whether `path` names an existing directory (symbolic links followed).
bool IsDirectory(const std::string& path);

// The visible entries of `directory` (names not beginning with "."), in the
// order the file system lists them; nothing when it cannot be read.
std::optional<std::vector<std::string>> VisibleEntries(const std::string& directory);

// The visible entries of `directory` that are regular files (through a
// symbolic link too), in the order the file system lists them; nothing when
// it cannot be read. The listing's own type of each entry decides, so most
// cost no further call; pipes, sockets, devices and directories are left out.
std::optional<std::vector<std::string>> VisibleFiles(const std::string& directory);

// Every entry of `directory` but "." and "..", hidden ones included; nothing
// when it cannot be read.
std::vector<std::string> AllEntries(const std::string& directory);

// Every entry but "." and ".." of the directory open as `directory`, with
// whether it is a directory (as the listing says, without looking further);
// nothing when it cannot be read.
struct DirectoryEntry {
    std::string Name;
    bool IsDirectory = false;
};
std::optional<std::vector<DirectoryEntry>> EntriesOf(int directory);

// An open directory, for looking up many names in it (with openat and
// fstatat) without walking its path each time.
class DirectoryHandle {
public:
    // The directory at `path`; nothing when it cannot be opened.
    static std::shared_ptr<const DirectoryHandle> Open(const std::string& path);
    ~DirectoryHandle();
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;

    int Descriptor() const { return fd_; }

private:
    explicit DirectoryHandle(int fd) : fd_(fd) {}
    int fd_;
};

// `path` made absolute, with symbolic links, "." and ".." resolved; empty
// when it does not exist.
std::string RealPath(const std::string& path);

} // namespace quillory
