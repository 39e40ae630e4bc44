#include "index/SearchIndex.h"

#include "common/Error.h"

namespace quillory {

SearchIndex::SearchIndex(const std::string& databasePath) {
    const std::string path = RealPath(databasePath);
    std::shared_ptr<const IndexFolder> folder;
    try {
        folder = path.empty() ? nullptr : IndexFolder::Open(path, false);
    } catch (const Error&) {
        usable_ = false;
    }
    if (!folder)
        return;
    database_ = DirectoryHandle::Open(path);
    if (!database_)
        return;
    times_.emplace(database_->Descriptor());
    segments_ = OpenSegments(*folder);
}

std::optional<CurrentEntry> SearchIndex::Current(const std::string& fileName) const {
    std::optional<CatalogIdentity> identity;
    std::optional<std::optional<std::uint64_t>> contentCheck; // looked at once, when needed
    std::optional<CurrentEntry> current;
    for (const std::shared_ptr<const Segment>& segment : segments_) {
        segment->ForEachEntryOf(fileName, [&](const SegmentEntry& entry) {
            if (current)
                return;
            if (!identity)
                identity = times_->CurrentIdentity(fileName);
            if (!identity || !(entry.Stamp.Identity == *identity))
                return;
            // A catalog changed lately is trusted only for its bytes.
            if (!times_->Settled(entry.Stamp)) {
                if (!contentCheck)
                    contentCheck = ContentCheckOf(database_->Descriptor(), fileName, *identity);
                if (*contentCheck != entry.Stamp.ContentCheck)
                    return;
            }
            current = CurrentEntry{segment, entry, contentCheck.has_value()};
        });
        if (current)
            break;
    }
    return current;
}

} // namespace quillory
