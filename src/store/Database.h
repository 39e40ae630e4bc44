#pragma once

#include "store/OpenDatabase.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// One database as the manager lists it.
struct DatabaseEntry {
    std::string Name;
    bool Compressed = false; // VLR_ZIP is present
};

// The directories under `databaseDir` that hold a marker (symbolic links are
// no databases), sorted by name with the locale's case-sensitive order. Hidden entries are left
// out; a directory holding both markers counts as compressed.
std::vector<DatabaseEntry> ListDatabases(const std::string& databaseDir);

// Refuses, with a clear Error, a database name that would reach outside the
// database root, be the root itself or be hidden: an empty one, one holding
// "/", "\" or a control character, or one beginning with ".".
void CheckDatabaseName(std::string_view name);

// The directory of database `name`: the root, the name and a final "/".
std::string DatabasePath(const std::string& databaseDir, std::string_view name);

// The form the markers of database directory `path` give: compressed when
// VLR_ZIP is there (any case), plain when only VLR_STD is, nothing without one.
std::optional<bool> MarkedCompressed(const std::string& path);

// Writes the marker of the given form into `path`, replacing one of that name,
// durably.
void WriteMarker(const std::string& path, bool compressed);

// Whether `path` is a database: a directory of its own (not a symbolic link)
// holding a marker. Any other directory is not a database for any command.
bool IsDatabase(const std::string& path);

// The database `name` under `databaseDir`, in the form its markers give.
// Raises the name's Error, and Error("There is no database named NAME") when
// it is no database.
OpenDatabase ExistingDatabase(const std::string& databaseDir, const std::string& name);
// Its directory alone.
std::string ExistingDatabasePath(const std::string& databaseDir, const std::string& name);

// "Open/New": opens database `name` under the root `databaseDir`, creating the
// directory and its marker when the directory is missing (and removing the
// directory again when the marker cannot be written). An existing database's
// marker decides its form; the check box decides only for a new database or a
// directory without a marker. A conversion a killed command left unfinished
// is completed where the database can be changed.
OpenDatabase OpenOrCreateDatabase(const std::string& databaseDir, const std::string& name,
                                  bool compressedBox);

// The number of catalogs of the open database.
int FindNumFiles(const OpenDatabase& database);

// "Open Database: NAME (Num Catalogs: N)" and 17 spaces: the first status panel
// while a database is open.
std::string OpenDatabaseStatus(const OpenDatabase& database);

// Renames database `oldName` under `databaseDir` to `newName`; the open
// database follows when it was the one renamed. Raises Error("Error renaming
// database.") when the new name is empty or the system refuses, the name's
// Error, and "There is no database named OLD". Returns whether the open
// database was renamed.
bool RenameDatabase(const std::string& databaseDir, OpenDatabase& open, const std::string& oldName,
                    const std::string& newName);

// Deletes database `name`: its markers first (so it stands whole until it is
// gone from every list), then its other visible files and the hidden files
// killed writers left (sub-directories and other hidden files stay, and then
// so does the directory), then the directory when it is empty. Raises
// Error("Cannot delete file PATH") for a marker that stays (the database is
// untouched) and, once the database is gone, for a file that stays. Returns
// whether it was the open database.
bool DeleteDatabase(const std::string& databaseDir, const OpenDatabase& open,
                    const std::string& name);

} // namespace quillory
