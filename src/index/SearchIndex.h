#pragma once

#include "common/FileSystem.h"
#include "index/CatalogPart.h"
#include "index/IndexFolder.h"
#include "index/PartTrust.h"
#include "index/Segments.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillory {

// A catalog's current entry in one of the segments, and whether it was
// trusted for the catalog's bytes (its catalog had changed lately).
struct CurrentEntry {
    std::shared_ptr<const Segment> From;
    SegmentEntry Entry;
    bool CheckedByBytes = false;
};

// The search index of one database as a search reads it: its segments, as
// they were when it was opened. The database directory itself holds only its
// markers and catalogs, so a database on read-only media is indexed too.
//
// The index only ever speeds a search up: a part is used only when its
// catalog is provably the file it was made from (see PartTrust.h); whatever
// cannot be read or trusted is passed over, and nothing here raises an Error.
class SearchIndex {
public:
    // The index of database directory `databasePath`.
    explicit SearchIndex(const std::string& databasePath);

    // Whether an index can be kept for the database: its folder, made or not
    // yet, would be the user's own.
    bool Usable() const { return usable_; }

    // The entry of catalog `fileName`, a file of the database directory, when
    // the index holds a part made from the file as it is now.
    std::optional<CurrentEntry> Current(const std::string& fileName) const;

private:
    bool usable_ = true;
    std::shared_ptr<const DirectoryHandle> database_;
    std::optional<DatabaseTimes> times_;
    Segments segments_;
};

} // namespace quillory
