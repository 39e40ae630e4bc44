#include "index/DirectoryTable.h"

#include "index/ByteReader.h"
#include "index/PackedArray.h"
#include "index/PartFormat.h"

namespace quillory {

namespace {

// What a table entry of `text` costs besides the text: the string, the
// node, the bucket.
constexpr std::size_t EntryOverhead = 80;

} // namespace

std::uint32_t DirectoryTable::Number(std::string_view directory) {
    // A catalog lists a directory's entries one after another.
    if (!parents_.empty() && directory == last_)
        return lastNumber_;
    const auto found = named_.find(directory);
    const std::uint32_t number = found != named_.end() ? found->second : Walk(directory);
    if (found == named_.end()) {
        named_.emplace(std::string(directory), number);
        memory_ += directory.size() + EntryOverhead;
    }
    last_.assign(directory);
    lastNumber_ = number;
    return number;
}

std::uint32_t DirectoryTable::Walk(std::string_view directory) {
    // The text up to and with each "\" is a directory; the last one may
    // lack its final "\", and the empty text is a directory of its own.
    std::uint32_t parent = 0;
    std::size_t depth = 0;
    std::size_t begin = 0;
    do {
        const std::size_t cut = directory.find('\\', begin);
        const std::size_t end = cut == std::string_view::npos ? directory.size() : cut + 1;
        if (++depth > MaxDirectoryDepth)
            throw PartRefused();
        parent = Child(parent, directory.substr(begin, end - begin)) + 1;
        begin = end;
    } while (begin < directory.size());
    return parent - 1;
}

std::uint32_t DirectoryTable::Child(std::uint32_t parent, std::string_view suffix) {
    const std::uint32_t suffixNumber = Suffix(suffix);
    const std::uint64_t key = std::uint64_t{parent} << 32 | suffixNumber;
    const auto [at, added] =
        children_.try_emplace(key, static_cast<std::uint32_t>(parents_.size()));
    if (added) {
        parents_.push_back(parent);
        suffixOf_.push_back(suffixNumber);
        memory_ += EntryOverhead;
    }
    return at->second;
}

std::uint32_t DirectoryTable::Suffix(std::string_view suffix) {
    const auto found = suffixes_.find(suffix);
    if (found != suffixes_.end())
        return found->second;
    const auto number = static_cast<std::uint32_t>(suffixTexts_.size());
    suffixTexts_.push_back(&suffixes_.emplace(std::string(suffix), number).first->first);
    memory_ += suffix.size() + EntryOverhead;
    return number;
}

std::string DirectoryTable::Section() const {
    std::vector<std::uint32_t> offsets{0};
    std::string blob;
    for (const std::string* suffix : suffixTexts_) {
        blob += *suffix;
        offsets.push_back(static_cast<std::uint32_t>(blob.size()));
    }
    std::string out;
    AppendVarint(out, suffixTexts_.size());
    AppendPackedArray(out, offsets);
    AppendVarint(out, blob.size());
    out += blob;
    AppendVarint(out, parents_.size());
    AppendPackedArray(out, parents_);
    AppendPackedArray(out, suffixOf_);
    return out;
}

} // namespace quillory
