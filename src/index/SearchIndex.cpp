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
    times_ = ChangeTimesOf(database_->Descriptor());
    for (const std::string& name : folder->SegmentNames()) {
        if (auto segment = Segment::Open(folder->Descriptor(), name))
            segments_.push_back(std::move(segment));
    }
}

std::optional<CurrentEntry> SearchIndex::Current(const std::string& fileName) const {
    std::optional<CatalogIdentity> identity;
    std::optional<std::optional<std::uint64_t>> contentCheck; // looked at once, when needed
    for (const std::shared_ptr<const Segment>& segment : segments_) {
        try {
            const std::optional<SegmentEntry> found = segment->Find(fileName);
            if (!found)
                continue;
            const SegmentEntry& entry = *found;
            if (!identity)
                identity = CurrentIdentity(database_->Descriptor(), fileName, times_);
            if (!identity || !(entry.Stamp.Identity == *identity))
                continue;
            // A catalog changed lately is trusted only for its bytes.
            if (!Settled(entry.Stamp, times_)) {
                if (!contentCheck)
                    contentCheck = ContentCheckOf(database_->Descriptor(), fileName, *identity);
                if (*contentCheck != entry.Stamp.ContentCheck)
                    continue;
            }
            return CurrentEntry{segment, entry, contentCheck.has_value()};
        } catch (const DamagedPart&) {
        }
    }
    return std::nullopt;
}

} // namespace quillory
