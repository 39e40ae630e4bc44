#include "store/Database.h"

#include "common/Collation.h"
#include "common/Error.h"
#include "common/FileSystem.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/Path.h"
#include "store/CatalogName.h"
#include "store/DatabaseLayout.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {

namespace {

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == PathSeparator)
        path.pop_back();
    return path;
}

} // namespace

std::vector<DatabaseEntry> ListDatabases(const std::string& databaseDir) {
    std::vector<DatabaseEntry> databases;
    for (std::string& name : VisibleEntries(databaseDir).value_or(std::vector<std::string>())) {
        if (const auto compressed = MarkedCompressed(JoinPath(databaseDir, name)))
            databases.push_back({std::move(name), *compressed});
    }
    const Collation collation(Collation::Strength::CaseSensitive);
    std::sort(databases.begin(), databases.end(),
              [&](const auto& a, const auto& b) { return collation.Compare(a.Name, b.Name) < 0; });
    return databases;
}

void CheckDatabaseName(std::string_view name) {
    const bool control = std::any_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (control || name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\") != name.npos)
        throw Error(msg::BadDatabaseName);
}

std::string DatabasePath(const std::string& databaseDir, std::string_view name) {
    return WithTrailingSeparator(JoinPath(databaseDir, name));
}

std::optional<bool> MarkedCompressed(const std::string& path) {
    if (!FindEntryIgnoringCase(path, CompressedMarkerName).empty())
        return true;
    if (!FindEntryIgnoringCase(path, PlainMarkerName).empty())
        return false;
    return std::nullopt;
}

void WriteMarker(const std::string& path, bool compressed) {
    WriteWholeFile(JoinPath(path, MarkerFileName(compressed)), MarkerLine());
}

OpenDatabase OpenOrCreateDatabase(const std::string& databaseDir, const std::string& name,
                                  bool compressedBox) {
    CheckDatabaseName(name);
    const std::string path = DatabasePath(databaseDir, name);
    bool compressed = compressedBox;
    if (!IsDirectory(path)) {
        // A directory that cannot be made shows itself when its marker cannot
        // be written.
        ::mkdir(WithoutTrailingSeparator(path).c_str(), 0777);
        WriteMarker(path, compressed);
    } else {
        compressed = MarkedCompressed(path).value_or(compressedBox);
    }
    return {name, path, compressed};
}

int FindNumFiles(const OpenDatabase& database) {
    try {
        return static_cast<int>(ListCatalogFiles(database.Path, database.Compressed).size());
    } catch (const Error&) {
        return 0; // a directory that cannot be listed holds no catalog we can use
    }
}

std::string OpenDatabaseStatus(const OpenDatabase& database) {
    return FormatMessage(msg::StatusOpenDatabase, database.Name) +
           FormatMessage(msg::StatusCatalogCount, std::to_string(FindNumFiles(database)));
}

bool RenameDatabase(const std::string& databaseDir, OpenDatabase& open, const std::string& oldName,
                    const std::string& newName) {
    if (newName.empty())
        throw Error(msg::ErrorRenamingDatabase);
    CheckDatabaseName(newName);
    const std::string oldPath = DatabasePath(databaseDir, oldName);
    const std::string newPath = DatabasePath(databaseDir, newName);
    if (!RenameNoReplace(WithoutTrailingSeparator(oldPath), WithoutTrailingSeparator(newPath)))
        throw Error(msg::ErrorRenamingDatabase);
    if (open.Path != oldPath)
        return false;
    open.Path = newPath;
    open.Name = newName;
    return true;
}

bool DeleteDatabase(const std::string& databaseDir, const OpenDatabase& open,
                    const std::string& name) {
    CheckDatabaseName(name);
    const std::string path = DatabasePath(databaseDir, name);
    // Only the visible files go; a sub-directory or a hidden file keeps the
    // directory, which is then no longer a database.
    for (const std::string& entry : VisibleEntries(path).value_or(std::vector<std::string>()))
        ::unlink(JoinPath(path, entry).c_str());
    ::rmdir(WithoutTrailingSeparator(path).c_str());
    return path == open.Path;
}

} // namespace quillory
