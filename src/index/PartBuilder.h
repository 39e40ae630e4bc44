#pragma once

#include "index/ByteCode.h"
#include "index/CatalogIdentity.h"
#include "index/PartFormat.h"
#include "store/CatalogRecord.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace quillory {

// Gathers the records of one catalog, in catalog order, and makes its index
// part (see PartFormat.h). A catalog's records are held until the part is
// made: about a third of the catalog's text.
class PartBuilder {
public:
    void Add(const CatalogRecordView& record);

    // The catalog's text size, as its records give it.
    std::uint64_t TextBytes() const { return textBytes_; }

    // The part's bytes, for the catalog with `identity` read after `readAt`;
    // nothing for a catalog too large for the part's tables.
    std::string Finish(const CatalogIdentity& identity, std::int64_t readAt);

private:
    struct Record {
        std::string Name;
        std::uint32_t Directory; // in the order of first use
        std::string Date;
        std::string Time;
        std::string Size;
    };
    std::uint32_t DirectoryNumber(std::string_view directory);
    // The records [first, last) as one block; `allTimesCoded` turns false
    // when one of their dates or times is not in the scanner's form.
    std::string EncodeBlock(std::size_t first, std::size_t last, const ByteCode& code,
                            const std::vector<std::uint32_t>& directoryNumbers,
                            bool& allTimesCoded) const;
    void AddTrigrams(std::string_view text, TextField field);
    void EndBlock();

    std::vector<Record> records_;
    std::vector<std::string> directories_;
    std::unordered_map<std::string, std::uint32_t> directoryNumbers_;
    // (key, block) once for each trigram key a block holds.
    std::vector<std::uint64_t> keyBlocks_;
    std::vector<std::uint32_t> blockKeys_; // the current block's keys
    std::uint64_t textBytes_ = 0;
};

} // namespace quillory
