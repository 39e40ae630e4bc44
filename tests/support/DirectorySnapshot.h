#pragma once

#include "support/TempDir.h"

#include <filesystem>
#include <map>
#include <string>

namespace quillory::test {

// Every entry under `root`, hidden ones included, by path relative to `root`:
// a file maps to its bytes, a directory to "<dir>", a symbolic link to "-> "
// and its target. Two snapshots compare equal when nothing was added, removed
// or changed.
inline std::map<std::string, std::string> Snapshot(const std::string& root) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).string();
        if (entry.is_symlink())
            entries[name] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            entries[name] = "<dir>";
        else
            entries[name] = ReadFile(entry.path().string());
    }
    return entries;
}

} // namespace quillory::test
