#pragma once

#include <string>
#include <string_view>

namespace quillory {

// Directory texts such as the input location, the database root and the open
// database's path always end in "/"; joining adds exactly one separator.
inline constexpr char PathSeparator = '/';

// `path` with one "/" appended when it does not already end in one; an empty
// text stays empty.
std::string WithTrailingSeparator(std::string path);

// `path` without its final "/" (one or more); "/" itself stays "/". The name
// of a directory to open or rename, or of a symbolic link not to follow.
std::string WithoutTrailingSeparator(std::string path);

// `directory`, exactly one "/", then `name` (a leading "/" of `name` is not doubled).
std::string JoinPath(std::string_view directory, std::string_view name);

// Finds the entry `name` directly inside `directory`, matching letters without
// regard to case as a case-blind file system would, and returns its full path
// (the exact name wins over other spellings). Returns an empty text when there
// is no such entry or the directory cannot be read.
std::string FindEntryIgnoringCase(std::string_view directory, std::string_view name);

} // namespace quillory
