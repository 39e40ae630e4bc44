#pragma once

#include "index/ChunkedText.h"
#include "index/DirectoryTable.h"
#include "index/KeyPostings.h"
#include "index/PartFormat.h"
#include "store/CatalogRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// Where a part's bytes go as they are made.
class PartOutput {
public:
    virtual ~PartOutput() = default;
    // Raises Error when the bytes cannot be written.
    virtual void Write(std::string_view bytes) = 0;
};

// What a finished part is: its length, the length and check of its head,
// its last bytes, the filter of its keys, and whether every date and time
// of its records is in the scanner's form.
struct PartShape {
    std::uint64_t Length = 0;
    std::uint64_t HeadLength = 0;
    std::uint64_t HeadCheck = 0;
    KeyFilter Filter;
    bool AllTimesCoded = false;
};

// Makes the index part of one catalog (see PartFormat.h) from its records,
// in catalog order, its tables held within PartMemoryBytes whatever the
// catalog holds. The names wait for the name code, made from them all;
// everything else of a block is coded as soon as the block is full, and the
// part is written out as it is finished.
class PartBuilder {
public:
    PartBuilder();

    // Raises PartRefused once the catalog turns out too large or too odd.
    void Add(const CatalogRecordView& record);

    // Writes the part to `out`; raises PartRefused as Add does, and the
    // output's Error.
    PartShape Finish(PartOutput& out);

    std::uint64_t Records() const { return records_; }

private:
    void AddTrigrams(std::string_view text, TextField field, std::uint32_t block);
    void EndBlock();
    std::size_t MemoryBytes() const;

    std::uint64_t records_ = 0;
    // Every name, one after another, and each one's length.
    ChunkedText names_;
    std::vector<std::uint32_t> nameLengths_;
    std::array<std::uint64_t, 256> byteCounts_{};
    // The current block's other columns, then the coded columns of each
    // finished block one after another, and the length of each.
    std::vector<std::uint32_t> directories_, dates_, times_, kinds_;
    std::string sizes_, texts_, tail_;
    ChunkedText blockTails_;
    std::vector<std::uint32_t> tailLengths_;
    bool allTimesCoded_ = true;
    DirectoryTable directoryTable_;
    // For each directory, the last block whose trigrams hold it, plus one.
    std::vector<std::uint32_t> directoryBlock_;
    KeyPostings postings_;
};

} // namespace quillory
