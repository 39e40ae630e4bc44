#include "store/Database.h"

#include "common/Collation.h"
#include "common/Error.h"
#include "common/FileOperations.h"
#include "common/FileSystem.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "common/Path.h"
#include "store/CatalogName.h"
#include "store/ConversionJournal.h"
#include "store/DatabaseAccess.h"
#include "store/DatabaseLayout.h"
#include "store/TemporaryFile.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {

namespace {

// The form of the database at `path`; nothing when it is no database. The
// markers are looked for once: in a plain database that takes reading the
// whole directory.
std::optional<bool> DatabaseForm(const std::string& path) {
    struct stat info {};
    if (::lstat(WithoutTrailingSeparator(path).c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return MarkedCompressed(path);
}

} // namespace

std::vector<DatabaseEntry> ListDatabases(const std::string& databaseDir) {
    std::vector<DatabaseEntry> databases;
    for (std::string& name : VisibleEntries(databaseDir).value_or(std::vector<std::string>())) {
        if (const std::optional<bool> compressed = DatabaseForm(DatabasePath(databaseDir, name)))
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
    // A name beginning with "." would make a hidden directory no list shows.
    if (control || name.empty() || name.front() == '.' || name.find_first_of("/\\") != name.npos)
        throw Error(msg::BadDatabaseName);
}

std::string DatabasePath(const std::string& databaseDir, std::string_view name) {
    return WithTrailingSeparator(JoinPath(databaseDir, name));
}

namespace {

// Whether the directory open as `directory` holds `name` in any case of its
// letters. Every spelling is asked for by name (64 of them for a marker's six
// letters) rather than the directory read: a database of many catalogs is a
// long directory, and a plain one has no "VLR_ZIP" in any spelling.
bool HoldsInAnyCase(int directory, std::string_view name) {
    // Markers are ASCII: a letter's other case is one bit away, whatever the locale.
    std::string spelling(name);
    std::vector<std::size_t> letters;
    for (std::size_t i = 0; i < spelling.size(); ++i) {
        const char lower = static_cast<char>(spelling[i] | 0x20);
        if (lower >= 'a' && lower <= 'z')
            letters.push_back(i);
    }
    for (std::uint64_t cases = 0; cases < (std::uint64_t{1} << letters.size()); ++cases) {
        for (std::size_t bit = 0; bit < letters.size(); ++bit) {
            char& c = spelling[letters[bit]];
            c = static_cast<char>(cases >> bit & 1 ? c | 0x20 : c & ~0x20);
        }
        struct stat info {};
        if (::fstatat(directory, spelling.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
            return true;
    }
    return false;
}

} // namespace

std::optional<bool> MarkedCompressed(const std::string& path) {
    const int directory = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0)
        return std::nullopt;
    std::optional<bool> form;
    if (HoldsInAnyCase(directory, CompressedMarkerName))
        form = true;
    else if (HoldsInAnyCase(directory, PlainMarkerName))
        form = false;
    ::close(directory);
    return form;
}

void WriteMarker(const std::string& path, bool compressed) {
    TemporaryFile marker(path, JoinPath(path, MarkerFileName(compressed)));
    const std::string line = MarkerLine();
    marker.Write(line.data(), line.size());
    marker.Commit();
}

bool IsDatabase(const std::string& path) {
    return DatabaseForm(path).has_value();
}

OpenDatabase ExistingDatabase(const std::string& databaseDir, const std::string& name) {
    CheckDatabaseName(name);
    const std::string path = DatabasePath(databaseDir, name);
    const std::optional<bool> compressed = DatabaseForm(path);
    if (!compressed)
        throw Error(FormatMessage(msg::NoSuchDatabase, name));
    return {name, path, *compressed};
}

std::string ExistingDatabasePath(const std::string& databaseDir, const std::string& name) {
    return ExistingDatabase(databaseDir, name).Path;
}

OpenDatabase OpenOrCreateDatabase(const std::string& databaseDir, const std::string& name,
                                  bool compressedBox) {
    CheckDatabaseName(name);
    const std::string path = DatabasePath(databaseDir, name);
    struct stat link {};
    if (::lstat(WithoutTrailingSeparator(path).c_str(), &link) == 0 && S_ISLNK(link.st_mode))
        throw Error(FormatMessage(msg::NoSuchDatabase, name)); // no command reaches through one
    if (!IsDirectory(path)) {
        // A directory that cannot be made shows itself when its marker cannot
        // be written; what was made for a database that failed goes again.
        const bool made = ::mkdir(WithoutTrailingSeparator(path).c_str(), 0777) == 0;
        try {
            WriteMarker(path, compressedBox);
        } catch (...) {
            if (made) {
                RemoveLeftovers(path);
                ::unlink(JoinPath(path, MarkerFileName(compressedBox)).c_str());
                ::rmdir(WithoutTrailingSeparator(path).c_str());
            }
            throw;
        }
        return {name, path, compressedBox};
    }
    if (!FindEntryIgnoringCase(path, JournalName).empty()) {
        // A conversion was killed: opening completes it where the database
        // can be changed; read-only media are read as they are.
        try {
            const DatabaseAccess repair(path, compressedBox, LockKind::Exclusive);
        } catch (const Error&) {
        }
    }
    return {name, path, MarkedCompressed(path).value_or(compressedBox)};
}

int FindNumFiles(const OpenDatabase& database) {
    try {
        const bool compressed = MarkedCompressed(database.Path).value_or(database.Compressed);
        return static_cast<int>(ListCatalogFiles(database.Path, compressed).size());
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
    CheckDatabaseName(oldName);
    const std::string oldPath = DatabasePath(databaseDir, oldName);
    const std::string newPath = DatabasePath(databaseDir, newName);
    if (!IsDatabase(oldPath))
        throw Error(msg::ErrorRenamingDatabase);
    {
        // The directory keeps its lock as it moves; no writer is at work in it.
        const DatabaseLock lock(oldPath, LockKind::Exclusive);
        if (!RenameNoReplace(WithoutTrailingSeparator(oldPath), WithoutTrailingSeparator(newPath)))
            throw Error(msg::ErrorRenamingDatabase);
        SyncDirectory(databaseDir);
    }
    if (open.Path != oldPath)
        return false;
    open.Path = newPath;
    open.Name = newName;
    return true;
}

bool DeleteDatabase(const std::string& databaseDir, const OpenDatabase& open,
                    const std::string& name) {
    const std::string path = ExistingDatabasePath(databaseDir, name);
    std::string kept;
    {
        const DatabaseLock lock(path, LockKind::Exclusive);
        RemoveLeftovers(path);
        // The markers go first, the one that does not count before the one
        // that does: until the last is gone the database stands whole, and
        // once it is gone no list shows it.
        for (const bool compressed : {false, true}) {
            const std::string marker = FindEntryIgnoringCase(path, MarkerFileName(compressed));
            if (!marker.empty() && !RemoveFile(marker))
                throw Error(FormatMessage(msg::CannotDeleteFile, marker));
        }
        // Then the other visible files; a sub-directory or another hidden file
        // keeps the directory.
        for (const std::string& entry : VisibleEntries(path).value_or(std::vector<std::string>())) {
            const std::string file = JoinPath(path, entry);
            if (!RemoveFile(file) && kept.empty() && !IsDirectory(file))
                kept = file;
        }
    }
    RemoveDirectory(WithoutTrailingSeparator(path));
    SyncDirectory(databaseDir);
    if (!kept.empty())
        throw Error(FormatMessage(msg::CannotDeleteFile, kept));
    return path == open.Path;
}

} // namespace quillory
