#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillory {

// Renames `from` to `to`, refusing (false) when `to` exists already: a rename
// must never silently replace another catalog or database.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Whether `path` names an existing directory (symbolic links followed).
bool IsDirectory(const std::string& path);

// The visible entries of `directory` (names not beginning with "."), in the
// order the file system lists them; nothing when it cannot be read.
std::optional<std::vector<std::string>> VisibleEntries(const std::string& directory);

// Writes `text` as the whole content of the file `path`, creating or replacing
// it. Raises Error("Cannot create file PATH") or Error("Cannot write file PATH").
void WriteWholeFile(const std::string& path, const std::string& text);

// A hidden name beside `path` for a file being made in its place: no catalog
// listing shows it, and a rename puts it in place once it is complete.
std::string TemporaryPathFor(const std::string& path);

} // namespace quillory
