#pragma once

#include "index/IndexFolder.h"
#include "index/PartTrust.h"
#include "index/Segment.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace quillory {

// The segments of an index folder, as they are when they are opened. One
// that does not open is damaged or of an older format, and would never be
// read again: a caller holding the folder removes it.
using Segments = std::vector<std::shared_ptr<const Segment>>;
enum class Unopened { Keep, Remove };
Segments OpenSegments(const IndexFolder& folder, Unopened unopened = Unopened::Keep);

// A catalog's entry in one of the segments.
struct FoundEntry {
    std::shared_ptr<const Segment> From;
    SegmentEntry Entry;
};

// The entries of catalog `name` whose stamp holds `identity`, newest first.
std::vector<FoundEntry> EntriesOf(const Segments& segments, const std::string& name,
                                  const CatalogIdentity& identity);

// Whether an entry's part passes every check (see CatalogPart::Verify).
bool Sound(const FoundEntry& entry);

// Merges the folder's segments into one when they are more than MaxSegments
// or hold more bytes that are no longer current than half those that are,
// keeping the newest sound entry of each of `files` (the catalogs of the
// database whose times are `times`) made from the file as it is, and
// removes the segments that hold nothing current. Only one process does so
// at a time; another finds the folder held and leaves it. Raises
// IndexNotStored, and ReadingStopped once `stop` turns true.
void MergeSegments(const std::shared_ptr<const IndexFolder>& folder, const DatabaseTimes& times,
                   const std::vector<std::string>& files, const std::atomic<bool>* stop = nullptr);
inline constexpr std::size_t MaxSegments = 8;

// Merges the small segments scans leave, one each, once there are twice
// MaxSegments segments: a cheap step, as each holds a catalog or so, that
// keeps a search from opening a file per scan. The newest entry of each
// catalog is kept. Raises IndexNotStored.
void MergeSmallSegments(const std::shared_ptr<const IndexFolder>& folder);

} // namespace quillory
