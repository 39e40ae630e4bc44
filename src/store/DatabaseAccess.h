#pragma once

#include "store/CatalogName.h"
#include "store/DatabaseLock.h"
#include "store/OpenDatabase.h"

#include <optional>
#include <string>
#include <vector>

namespace quillory {

// A database as one command uses it, for the command's whole run: its
// directory locked (shared to read, exclusive to change) and its form as the
// markers say at that moment, so that a command never acts on a form another
// command has just changed. An exclusive hold first completes a conversion a
// killed command left unfinished, then removes the hidden files killed
// writers left behind.
class DatabaseAccess {
public:
    // `path` is the database directory; `unmarkedForm` is the form taken when
    // the directory holds no marker. Raises the lock's and the repair's Error.
    DatabaseAccess(const std::string& path, bool unmarkedForm, LockKind kind);
    DatabaseAccess(const OpenDatabase& database, LockKind kind)
        : DatabaseAccess(database.Path, database.Compressed, kind) {}

    const std::string& Path() const { return path_; }
    bool Compressed() const { return compressed_; }
    // The catalogs of the database in its present form, in the order the file
    // system lists them: the directory is read once, under the hold, when
    // they are first asked for. Raises Error("Cannot open file PATH") when it
    // cannot be read.
    const std::vector<std::string>& CatalogFiles() const;
    // The file of a catalog of the database in its present form.
    std::string CatalogPath(const CatalogName& catalog) const;

private:
    std::string path_;
    DatabaseLock lock_;
    bool compressed_ = false;
    mutable std::optional<std::vector<std::string>> catalogFiles_;
};

// Removes the hidden files (".quillory-...") that writers killed while they
// worked left in database directory `path`. Only a holder of the exclusive
// lock may call it, as the files of a writer at work look the same.
void RemoveLeftovers(const std::string& path);

} // namespace quillory
