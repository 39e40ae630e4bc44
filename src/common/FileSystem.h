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

// `path` made absolute, with symbolic links, "." and ".." resolved; empty
// when it does not exist.
std::string RealPath(const std::string& path);

} // namespace quillory
