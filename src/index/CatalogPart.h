#pragma once

#include "index/ByteCode.h"
#include "index/CatalogIdentity.h"
#include "index/PackedArray.h"
#include "store/CatalogRecord.h"

#include <cstdint>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// One index part (see PartFormat.h), open for reading. Opening reads and
// checks the head; every other piece is read and checked as it is used, so a
// search pays only for the bytes it needs. Any damage found, a file cut
// short under the reader included, raises DamagedPart. A part is used by one
// thread at a time.
class CatalogPart {
public:
    // How much of a part is read at once when it is opened, unless told.
    static constexpr std::uint64_t DefaultLeadLength = 16384;

    // The part at `path`, looked up from the directory open as `directory`
    // (AT_FDCWD: the working directory); nothing when there is none or it
    // cannot be read. Its first `leadLength` bytes are read at once; any
    // other piece is read when it is needed.
    static std::optional<CatalogPart> Open(const std::string& path, int directory = AT_FDCWD,
                                           std::uint64_t leadLength = DefaultLeadLength);
    // The lead that would hold what a search may read from a part's front:
    // the head, the directories and the keys.
    std::uint64_t WantedLead() const { return keys_.Offset + keys_.Length; }

    const CatalogIdentity& Identity() const { return identity_; }
    std::int64_t ReadAt() const { return readAt_; }
    // Whether every record's date and time is in the form the scanner
    // writes, so that each converts to a time value.
    bool AllTimesCoded() const { return allTimesCoded_; }

    // The blocks whose records may hold every one of `keys` (each the key of
    // a trigram in its field), in catalog order: every block when there are none.
    std::vector<std::uint32_t> CandidateBlocks(const std::vector<std::uint32_t>& keys) const;

    // Hands the records of `block` to `consumer`, in catalog order: their
    // name, directory, date, time and size lines exactly as the catalog holds
    // them (the kind and closing lines are not kept: no search uses them).
    // When `nameText` (upper-case) is not empty, only the records whose name,
    // its ASCII letters upper-cased, holds it are handed over, and only their
    // other lines are decoded.
    void ForEachRecord(std::uint32_t block, const RecordConsumer& consumer,
                       std::string_view nameText = {}) const;

private:
    struct File;
    CatalogPart() = default;
    void ReadHead(std::string_view head);
    // `length` bytes of the file at `offset`: in the lead when they are
    // there, else read into `buffer`.
    std::string_view Read(std::uint64_t offset, std::uint64_t length, std::string& buffer) const;
    // `length` bytes of the file at `offset` into `out`, which the file must hold.
    void ReadInto(std::uint64_t offset, std::size_t length, char* out) const;
    void CheckDirectories() const;
    // Where a key's posting list stands: its place in the postings section,
    // and that of its group's lists, which are checked together.
    struct ListPlace {
        std::uint64_t ListsBegin = 0, ListsEnd = 0;
        std::uint32_t ListsCheck = 0;
        std::uint64_t Begin = 0, Length = 0;
    };
    // Nothing when no record holds `key`.
    std::optional<ListPlace> FindList(std::uint32_t key) const;
    std::string ReadList(const ListPlace& place) const;
    // How many of the shortest posting lists of a search's keys are read.
    static constexpr std::size_t MaxListsRead = 2;
    std::string_view ReadBlock(std::uint32_t block, std::string& buffer) const;
    void AppendDirectory(std::uint32_t number, std::string& out) const;

    std::shared_ptr<const File> file_;
    // Room a block's reading reuses, so that a search allocates nothing per block.
    struct Scratch {
        std::string Block, Names, Upper, Directory;
    };
    mutable Scratch scratch_;
    CatalogIdentity identity_;
    std::int64_t readAt_ = 0;
    std::uint64_t recordCount_ = 0;
    bool allTimesCoded_ = false;
    // The name code, made from its lengths once a block's names are first
    // read; apart, as its tables are large to copy with the part.
    std::string_view codeLengths_;
    mutable std::unique_ptr<const ByteCode> code_;
    // Where each section begins in the file, and its length.
    struct Section {
        std::uint64_t Offset = 0;
        std::uint64_t Length = 0;
    };
    Section dirs_, keys_, postings_, blocks_;
    std::uint64_t dirsCheck_ = 0;
    std::string_view groupTable_, blockTable_;
    std::uint32_t groupCount_ = 0, blockCount_ = 0;
    // The directory section, read once it is first needed.
    mutable bool dirsRead_ = false;
    mutable std::string dirBytes_;
    mutable PackedArray suffixOffsets_, parents_, suffixes_;
    mutable std::string_view suffixBlob_;
};

} // namespace quillory
