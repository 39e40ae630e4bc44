#pragma once

#include <string>

namespace quillory {

// The database the user has opened, for the whole run. Only the database
// manager writes it (opening, renaming, converting); the scanner, the search
// and the catalog lists read it.
struct OpenDatabase {
    std::string Name;        // empty while no database has been opened
    std::string Path;        // the database root, the name and "/" as it was when opened
    bool Compressed = false; // its catalogs are .txt.bz2 files

    bool IsOpen() const { return !Name.empty(); }
};

} // namespace quillory
