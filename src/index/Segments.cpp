#include "index/Segments.h"

#include "index/CatalogSource.h"
#include "index/SegmentWriter.h"

#include <algorithm>
#include <map>
#include <unistd.h>

namespace quillory {

namespace {

// Segments of at most this many bytes are merged by MergeSmallSegments.
constexpr std::uint64_t SmallSegmentBytes = std::uint64_t{8} << 20;

void Remove(const IndexFolder& folder, const Segment& segment) {
    ::unlinkat(folder.Descriptor(), segment.Name().c_str(), 0);
}

} // namespace

Segments OpenSegments(const IndexFolder& folder, Unopened unopened) {
    Segments segments;
    for (const std::string& name : folder.SegmentNames()) {
        if (auto segment = Segment::Open(folder.Descriptor(), name))
            segments.push_back(std::move(segment));
        else if (unopened == Unopened::Remove)
            ::unlinkat(folder.Descriptor(), name.c_str(), 0);
    }
    return segments;
}

std::vector<FoundEntry> EntriesOf(const Segments& segments, const std::string& name,
                                  const CatalogIdentity& identity) {
    std::vector<FoundEntry> found;
    for (const auto& segment : segments) {
        segment->ForEachEntryOf(name, [&](SegmentEntry entry) {
            entry.FileName = name;
            if (entry.Stamp.Identity == identity)
                found.push_back({segment, std::move(entry)});
        });
    }
    std::sort(found.begin(), found.end(), [](const FoundEntry& a, const FoundEntry& b) {
        return a.Entry.Stamp.ReadAt > b.Entry.Stamp.ReadAt;
    });
    return found;
}

bool Sound(const FoundEntry& entry) {
    try {
        entry.From->Part(entry.Entry).Verify();
        entry.From->Done(entry.Entry);
        return !entry.From->Damaged();
    } catch (const DamagedPart&) {
        return false;
    }
}

void MergeSegments(const std::shared_ptr<const IndexFolder>& folder, const DatabaseTimes& times,
                   const std::vector<std::string>& files, const std::atomic<bool>* stop) {
    if (!folder->TryHold())
        return;
    const Segments segments = OpenSegments(*folder, Unopened::Remove);
    std::vector<FoundEntry> live;
    std::uint64_t liveBytes = 0, allBytes = 0;
    std::vector<bool> used(segments.size(), false);
    for (const std::string& name : files) {
        const auto identity = times.CurrentIdentity(name);
        const std::vector<FoundEntry> found =
            identity ? EntriesOf(segments, name, *identity) : std::vector<FoundEntry>();
        const auto sound = std::find_if(found.begin(), found.end(), Sound);
        if (sound == found.end())
            continue;
        live.push_back(*sound);
        liveBytes += sound->Entry.PartLength;
        for (std::size_t i = 0; i < segments.size(); ++i)
            used[i] = used[i] || segments[i] == sound->From;
    }
    for (const auto& segment : segments)
        allBytes += segment->Bytes();
    const bool merge = segments.size() > MaxSegments ||
                       allBytes - liveBytes > liveBytes / 2 + 4096 * segments.size();
    if (merge && !live.empty()) {
        SegmentWriter writer(folder, stop);
        for (const FoundEntry& entry : live) {
            if (stop && stop->load(std::memory_order_relaxed))
                throw ReadingStopped();
            writer.Copy(*entry.From, entry.Entry, entry.Entry.FileName, entry.Entry.Stamp);
        }
        writer.Commit();
    }
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (merge || !used[i])
            Remove(*folder, *segments[i]);
    }
}

void MergeSmallSegments(const std::shared_ptr<const IndexFolder>& folder) {
    if (folder->SegmentNames().size() <= 2 * MaxSegments || !folder->TryHold())
        return;
    Segments small;
    for (auto& segment : OpenSegments(*folder)) {
        if (segment->Bytes() <= SmallSegmentBytes)
            small.push_back(std::move(segment));
    }
    std::map<std::string, FoundEntry> newest;
    for (const auto& segment : small) {
        try {
            for (std::size_t i = 0; i < segment->Count(); ++i) {
                SegmentEntry entry = segment->EntryAt(i);
                FoundEntry& kept = newest[entry.FileName];
                if (!kept.From || kept.Entry.Stamp.ReadAt < entry.Stamp.ReadAt)
                    kept = {segment, std::move(entry)};
            }
        } catch (const DamagedPart&) {
        }
    }
    SegmentWriter writer(folder);
    for (const auto& [name, entry] : newest) {
        try {
            writer.Copy(*entry.From, entry.Entry, name, entry.Entry.Stamp);
        } catch (const DamagedPart&) {
            // The part lies past its segment's end: it is made again.
        }
    }
    writer.Commit();
    for (const auto& segment : small)
        Remove(*folder, *segment);
}

} // namespace quillory
