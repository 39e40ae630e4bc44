#pragma once

#include "index/CatalogPart.h"
#include "index/MappedFile.h"
#include "index/SegmentFormat.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quillory {

// One segment of a database's index (see SegmentFormat.h), mapped for
// reading; its table is checked whole when it is opened, and each part as
// it is read.
class Segment {
public:
    // The segment `name` in the index folder open as `folder`; nothing when
    // it cannot be read or is no sound segment of this version.
    static std::shared_ptr<const Segment> Open(int folder, const std::string& name);

    const std::string& Name() const { return name_; }
    std::size_t Count() const { return count_; }
    std::uint64_t Bytes() const { return map_->Bytes().size(); }
    // Calls `each` with the entry of catalog file `fileName`, when the
    // segment has one; its FileName is left empty, as the caller knows it.
    // Entries are found by the check of their names alone, without the name
    // compared: the catalog's identity, device and inode, tells whose an
    // entry is, so another's with the same check is never taken for it; each
    // entry holding the check is handed over, in case two do.
    template <typename Each> void ForEachEntryOf(std::string_view fileName, Each each) const {
        const std::uint64_t check = NameCheckOf(fileName);
        for (std::size_t at = FirstWithCheck(check); at < count_ && NameCheckAt(at) == check; ++at)
            each(ReadEntry(EntryBytes(at)));
    }
    // The entry at `index` of the table, its FileName with it. Raises DamagedPart.
    SegmentEntry EntryAt(std::size_t index) const;
    // The bytes of an entry's part, and the part itself; raises DamagedPart.
    std::string_view PartBytes(const SegmentEntry& entry) const;
    CatalogPart Part(const SegmentEntry& entry) const;
    // Whether a page of the file could not be read (see MappedFile).
    bool Damaged() const { return map_->Damaged(); }
    // Tells that a search is done with the part of `entry` (see MappedFile::Read).
    void Done(const SegmentEntry& entry) const;

private:
    Segment() = default;
    std::string_view EntryBytes(std::size_t index) const;
    std::uint64_t NameCheckAt(std::size_t index) const;
    // The first entry whose name's check is not below `check`.
    std::size_t FirstWithCheck(std::uint64_t check) const;

    std::string name_;
    std::unique_ptr<MappedFile> map_;
    std::size_t count_ = 0;
    std::string_view checks_, entries_, names_;
};

} // namespace quillory
