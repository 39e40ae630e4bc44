#pragma once

#include "index/ByteCode.h"
#include "index/PackedArray.h"
#include "store/CatalogRecord.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// A test of a record's kind and size lines, made before its name is decoded,
// so that a block none of whose records passes it costs no decoding.
class ColumnTest {
public:
    virtual ~ColumnTest() = default;
    // `size` is the size when its line is in the scanner's form (plain
    // decimal); else `sizeLine` is the line as it stands.
    virtual bool Passes(std::string_view kind, std::optional<std::uint64_t> size,
                        std::string_view sizeLine) const = 0;
};

// One index part (see PartFormat.h), read from bytes that stay in place
// while it is used (a segment's mapping). Making it checks the head; every
// other piece is checked as it is used, so a search pays only for the bytes
// it reads. Any damage found raises DamagedPart. A part is used by one
// thread at a time.
class CatalogPart {
public:
    // The part of `bytes`, whose last `headLength` bytes are its head, with
    // the check `headCheck`.
    CatalogPart(std::string_view bytes, std::uint64_t headLength, std::uint64_t headCheck);

    // Whether every record's date and time is in the form the scanner
    // writes, so that each converts to a time value.
    bool AllTimesCoded() const { return allTimesCoded_; }

    std::uint32_t BlockCount() const { return blockCount_; }
    std::uint64_t RecordCount() const { return recordCount_; }

    // Checks every piece of the part, as a search would check each it reads;
    // raises DamagedPart.
    void Verify() const;

    // The blocks whose records may hold every one of `keys` (each the key of
    // a trigram in its field), in catalog order: every block when there are none.
    std::vector<std::uint32_t> CandidateBlocks(const std::vector<std::uint32_t>& keys) const;

    // Hands the records of `block` to `consumer`, in catalog order: their
    // kind, name, directory, date, time and size lines exactly as the catalog
    // holds them (the closing line is not kept: no search uses it). Only the
    // records that pass `columns`, when given, are handed over, and when
    // `nameText` (upper-case) is not empty, only those whose name, its ASCII
    // letters upper-cased, holds it; only their other lines are decoded.
    void ForEachRecord(std::uint32_t block, const RecordConsumer& consumer,
                       std::string_view nameText = {}, const ColumnTest* columns = nullptr) const;
    // How many records of `block` pass `columns`, without decoding a name.
    std::size_t CountRecords(std::uint32_t block, const ColumnTest& columns) const;

private:
    void ReadHead(std::string_view head);
    // `length` bytes at `offset` of the part.
    std::string_view Bytes(std::uint64_t offset, std::uint64_t length) const;
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
    std::string_view ReadList(const ListPlace& place) const;
    // How many of the shortest posting lists of a search's keys are read.
    static constexpr std::size_t MaxListsRead = 2;
    std::string_view ReadBlock(std::uint32_t block) const;
    struct BlockColumns;
    // Reads a block's columns, all but the names, which it leaves coded.
    void ReadColumns(std::uint32_t block, BlockColumns& out) const;
    static std::uint64_t PassingColumns(const BlockColumns& block, const ColumnTest* columns);
    void AppendDirectory(std::uint32_t number, std::string& out) const;
    const ByteCode& Code() const;

    std::string_view bytes_;
    // Room a block's reading reuses, so that a search allocates nothing per block.
    struct Scratch {
        std::string Names, Upper, Directory;
    };
    mutable Scratch scratch_;
    std::uint64_t recordCount_ = 0;
    bool allTimesCoded_ = false;
    // The name code, made from its lengths once a block's names are first read.
    std::string_view codeLengths_;
    mutable std::unique_ptr<const ByteCode> code_;
    // Where each section begins in the part, and its length.
    struct Section {
        std::uint64_t Offset = 0;
        std::uint64_t Length = 0;
    };
    Section blocks_, dirs_, keys_, postings_;
    std::uint64_t dirsCheck_ = 0;
    std::string_view groupTable_, blockTable_;
    std::uint32_t groupCount_ = 0, blockCount_ = 0;
    // The key group (plus one) and the lists (their offset plus one) last checked.
    mutable std::size_t checkedGroup_ = 0;
    mutable std::uint64_t checkedLists_ = 0;
    // The directory section, read once it is first needed.
    mutable bool dirsRead_ = false;
    mutable PackedArray suffixOffsets_, parents_, suffixes_;
    mutable std::string_view suffixBlob_;
};

} // namespace quillory
