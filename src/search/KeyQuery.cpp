#include "search/KeyQuery.h"

#include "common/AsciiUpper.h"

#include <algorithm>
#include <iterator>

namespace quillory {

namespace {

std::vector<std::uint32_t> EveryBlock(const CatalogPart& part) {
    std::vector<std::uint32_t> blocks(part.BlockCount());
    for (std::uint32_t block = 0; block < blocks.size(); ++block)
        blocks[block] = block;
    return blocks;
}

} // namespace

KeyQuery KeyQuery::AllKeys(std::vector<std::uint32_t> keys) {
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return KeyQuery(Kind::Keys, std::move(keys), {});
}

KeyQuery KeyQuery::AllOf(std::vector<KeyQuery> queries) {
    // A query narrowing nothing adds nothing to the others.
    std::erase_if(queries, [](const KeyQuery& query) { return !query.Narrows(); });
    if (queries.size() == 1)
        return std::move(queries[0]);
    return queries.empty() ? Everything() : KeyQuery(Kind::All, {}, std::move(queries));
}

KeyQuery KeyQuery::AnyOf(std::vector<KeyQuery> queries) {
    // Any one narrowing nothing lets every block through.
    const bool everything =
        queries.empty() || std::any_of(queries.begin(), queries.end(),
                                       [](const KeyQuery& query) { return !query.Narrows(); });
    if (everything)
        return Everything();
    if (queries.size() == 1)
        return std::move(queries[0]);
    return KeyQuery(Kind::Any, {}, std::move(queries));
}

bool KeyQuery::Narrows() const {
    return kind_ != Kind::Keys || !keys_.empty();
}

bool KeyQuery::MayHold(const KeyFilter& filter) const {
    switch (kind_) {
    case Kind::Keys:
        return std::all_of(keys_.begin(), keys_.end(),
                           [&](std::uint32_t key) { return filter.MayHold(key); });
    case Kind::All:
        return std::all_of(parts_.begin(), parts_.end(),
                           [&](const KeyQuery& part) { return part.MayHold(filter); });
    case Kind::Any:
        return std::any_of(parts_.begin(), parts_.end(),
                           [&](const KeyQuery& part) { return part.MayHold(filter); });
    }
    return true;
}

std::vector<std::uint32_t> KeyQuery::Blocks(const CatalogPart& part) const {
    if (kind_ == Kind::Keys)
        return keys_.empty() ? EveryBlock(part) : part.CandidateBlocks(keys_);
    std::vector<std::uint32_t> blocks = parts_[0].Blocks(part);
    for (std::size_t i = 1; i < parts_.size(); ++i) {
        if (kind_ == Kind::All && blocks.empty())
            break;
        const std::vector<std::uint32_t> more = parts_[i].Blocks(part);
        std::vector<std::uint32_t> joined;
        if (kind_ == Kind::All)
            std::set_intersection(blocks.begin(), blocks.end(), more.begin(), more.end(),
                                  std::back_inserter(joined));
        else
            std::set_union(blocks.begin(), blocks.end(), more.begin(), more.end(),
                           std::back_inserter(joined));
        blocks = std::move(joined);
    }
    return blocks;
}

std::vector<std::uint32_t> TrigramKeys(std::string_view text, TextField field) {
    const std::string upper = AsciiUpper(std::string(text));
    std::vector<std::uint32_t> keys;
    for (std::size_t i = 0; i + 3 <= upper.size(); ++i)
        keys.push_back(TrigramKey(upper.data() + i, field));
    return keys;
}

} // namespace quillory
