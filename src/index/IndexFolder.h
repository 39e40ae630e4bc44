#pragma once

#include <memory>
#include <string>
#include <vector>

namespace quillory {

// The folder of one database's search index in the user's cache:
// $XDG_CACHE_HOME/Quillory/ (else ~/.cache/Quillory/), then a folder named
// after a check of the database's absolute path, whose file "database" holds
// that path (a check shared by two databases keeps no index for the second).
//
// Only the user's own folders are used: the cache folder and the index
// folder must be directories of their own (never followed through a
// symbolic link), owned by the user, and writable by nobody else, as ssh
// treats ~/.ssh; otherwise another user could plant a segment that changes
// what a search finds. Everything is done relative to the open folders, so
// nothing outside them is ever read, written or removed.
class IndexFolder {
public:
    // The folder of the database at `databasePath` (absolute, real, without
    // a final "/"): opened when it is there and usable, made (with the cache
    // folders above it) when `make`; nothing when it is missing and not to
    // be made. Raises Error with what stands in the way.
    static std::shared_ptr<const IndexFolder> Open(const std::string& databasePath, bool make);
    ~IndexFolder();
    IndexFolder(const IndexFolder&) = delete;
    IndexFolder& operator=(const IndexFolder&) = delete;

    int Descriptor() const { return fd_; }
    const std::string& Path() const { return path_; }

    // The names of the folder's segments.
    std::vector<std::string> SegmentNames() const;

    // Removes what killed writers and earlier versions left in the folder:
    // files being written that no writer holds any more, and files of other
    // kinds.
    void RemoveLeftovers() const;

    // Holds the folder for a rewrite of its segments, when no other process
    // holds it; false when one does. The hold ends with the object.
    bool TryHold() const;

    // The folder of all indexes; empty when the user has no cache folder.
    static std::string CacheRoot();

    // A name of its own for a file being written into the folder, hidden,
    // so that a killed writer's leftovers are known as such.
    static std::string WritingName();
    // Sixteen hexadecimal digits no other writer draws.
    static std::string RandomName();

private:
    IndexFolder(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    bool Abandoned(const std::string& name) const;

    int fd_;
    std::string path_;
};

// Removes the index of the database at `databasePath`, or a symbolic link in
// its place (never what it points at). Raises Error when something stays.
void DropIndexFolder(const std::string& databasePath);

// Removes the indexes of databases that are gone (not those whose parent
// directory is missing too: their media may be out of the drive).
void RemoveIndexesOfGoneDatabases();

} // namespace quillory
