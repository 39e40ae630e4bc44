#pragma once

#include "common/FileSystem.h"
#include "index/CatalogIdentity.h"
#include "index/CatalogPart.h"
#include "index/PartBuilder.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillory {

// The search index of one database: a folder in the user's cache
// ($XDG_CACHE_HOME/Quillory/, else ~/.cache/Quillory/) named after the
// database's absolute path, holding one part per catalog. The database
// directory itself holds only its markers and catalogs, so a database on
// read-only media is indexed too.
//
// The index only ever speeds a search up. A part is used only while its
// catalog is the very file it was made from; whatever cannot be read,
// written or trusted is passed over, and nothing here raises an Error.
class SearchIndex {
public:
    // The index of database directory `databasePath`.
    explicit SearchIndex(const std::string& databasePath);

    // The folder of all indexes; empty when the user has no cache folder.
    static std::string CacheRoot();

    // Whether parts can be kept: there is a folder for them, and no part
    // has failed to be written there yet (a full or read-only cache).
    bool Keeps() const { return !folder_.empty() && folderState_ != FolderState::Failed; }

    // The part of catalog `catalogPath`, a file in the database directory,
    // when there is one made from the file as it is now; nothing otherwise.
    std::optional<CatalogPart> CurrentPart(const std::string& catalogPath) const;

    // Stores the part of catalog `catalogPath`, whose records `builder`
    // holds, as read after `readAt` from the file whose identity was `read`
    // then. Nothing is stored when the file has changed since, or when the
    // part would take more than MaxPartShare of the catalog's text.
    void Store(const std::string& catalogPath, PartBuilder& builder, const CatalogIdentity& read,
               std::int64_t readAt) const;

    // Reads catalog `catalogPath` whole, handing each record to `consumer`
    // too, and stores its part. Raises the catalog's Error.
    void ReadAndStore(const std::string& catalogPath, bool compressed,
                      const RecordConsumer& consumer = {}) const;

    // Makes the part of catalog `catalogPath`, which this program has just
    // written itself holding the database alone (a scan's new catalog), from
    // its plain text at `plainPath` (the catalog itself in a plain database).
    void StoreWritten(const std::string& catalogPath, const std::string& plainPath) const;

    // Keeps for catalog `catalogPath` the part of the catalog it has just
    // replaced holding the same records (a conversion's work): the part made
    // from the old file with `oldIdentity`, when it was current.
    void Carry(const CatalogIdentity& oldIdentity, const std::string& catalogPath) const;

    // Removes the parts of catalogs other than `catalogFiles` (file names in
    // the database directory), files writers left behind, and the indexes of
    // databases that are no longer there (not those whose parent directory
    // is missing too: their media may be out of the drive).
    void RemoveStale(const std::vector<std::string>& catalogFiles) const;

    // Removes this database's index.
    void Drop() const;

    static constexpr double MaxPartShare = 0.4;

private:
    static std::string PartName(std::string_view catalogFileName);
    std::string PartPath(const std::string& catalogPath) const;
    bool MakeFolder() const;

    std::string databasePath_; // absolute, without the final "/"
    std::string folder_;       // empty: no index can be kept
    // The database directory and the index folder, open when they could be
    // (else names are looked up by their whole paths): a search looks up a
    // catalog and a part in them for every catalog.
    std::shared_ptr<const DirectoryHandle> databaseDirectory_, folderDirectory_;
    enum class FolderState { Unknown, Made, Failed };
    mutable std::atomic<FolderState> folderState_ = FolderState::Unknown;
    // The lead parts are opened with: the largest any part has wanted so
    // far, within the default (0: none opened yet). A database's parts are
    // alike, and copying bytes no search uses costs about as much as the
    // rest of opening a part.
    mutable std::atomic<std::uint64_t> leadLength_ = 0;
};

} // namespace quillory
