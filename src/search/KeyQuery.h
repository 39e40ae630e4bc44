#pragma once

#include "index/CatalogPart.h"
#include "index/PartFormat.h"

#include <cstdint>
#include <vector>

namespace quillory {

// Which blocks of an index part may hold a record that passes a search, told
// by the trigram keys every such record holds: all keys of a set, and any or
// all of several such queries. A query with no keys narrows nothing.
class KeyQuery {
public:
    // Every block.
    static KeyQuery Everything() { return KeyQuery(Kind::Keys, {}, {}); }
    // The blocks holding every one of `keys`.
    static KeyQuery AllKeys(std::vector<std::uint32_t> keys);
    static KeyQuery AllOf(std::vector<KeyQuery> queries);
    static KeyQuery AnyOf(std::vector<KeyQuery> queries);

    // Whether the query has keys at all, so that it picks blocks.
    bool Narrows() const;
    // Whether a part with the key filter `filter` may hold a passing record.
    bool MayHold(const KeyFilter& filter) const;
    // The blocks of `part` that may, in order.
    std::vector<std::uint32_t> Blocks(const CatalogPart& part) const;

private:
    enum class Kind { Keys, All, Any };
    KeyQuery(Kind kind, std::vector<std::uint32_t> keys, std::vector<KeyQuery> parts)
        : kind_(kind), keys_(std::move(keys)), parts_(std::move(parts)) {}

    Kind kind_;
    std::vector<std::uint32_t> keys_;
    std::vector<KeyQuery> parts_;
};

// The keys of every trigram of `text` in `field`, upper-cased as the index
// keeps them; none for a text shorter than three bytes.
std::vector<std::uint32_t> TrigramKeys(std::string_view text, TextField field);

} // namespace quillory
