#pragma once

#include "scan/DosAttributes.h"
#include "scan/EntrySink.h"

#include <string>

namespace quillory {

// Walks the directory `location` depth-first and hands every visible entry
// to `sink`: a directory's contents (recursively) before the directory itself,
// entries in the order the file system lists them. `topDirectory` is the
// directory text of the top entries ("\" for a mount point, "\home\u\Data\"
// for a directory below one).
//
// Names beginning with "." are hidden and left out with all below them, and
// so are the entries `attributes` (when given) finds hidden or system ones.
// Regular files and symbolic links (never followed; their own size and time)
// are files; sockets, pipes and devices are left out. The walk stays on the
// file system it starts on: a mount point below it and a directory that is one
// of its own ancestors (a bind mount loop) are recorded but not entered. A
// directory that denies access, or that went away or was replaced since it was
// listed, contributes its own record and nothing below.
//
// The walk holds at most a few directories open whatever the depth: a deeper
// level reads ahead what a shallower one still lists and frees its descriptor;
// that directory is opened again, name by name from the top, when one of its
// sub-directories is to be entered.
//
// Raises Error when the location cannot be read at all, when a directory
// cannot be opened for any other cause (no descriptors, no memory, an I/O
// error), when reading a directory fails part-way (a damaged or ejected disc),
// when a directory opened again is gone or another one, or when the location
// is gone or replaced by the end of the walk.
void AddItems(const std::string& location, const std::string& topDirectory, EntrySink& sink,
              const AttributeQuery* attributes = nullptr);

} // namespace quillory
