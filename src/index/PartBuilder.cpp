#include "index/PartBuilder.h"

#include "common/AsciiUpper.h"
#include "index/ByteCode.h"
#include "index/ByteReader.h"
#include "index/PackedArray.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace quillory {

namespace {

// The directory a directory text continues: the text up to its last "\"
// but the final one. Catalogs hold a tree, so most directories are their
// parent and one name.
std::optional<std::string_view> ParentOf(std::string_view directory) {
    if (directory.size() < 2)
        return std::nullopt;
    const std::size_t cut = directory.rfind('\\', directory.size() - 2);
    if (cut == std::string_view::npos)
        return std::nullopt;
    return directory.substr(0, cut + 1);
}

// The directory section, and for each directory in the order of first use
// its number there. Parents come before their children, so a text is
// rebuilt by following parents down to one without.
std::string DirectorySection(const std::vector<std::string>& used,
                             std::vector<std::uint32_t>& numbers) {
    std::set<std::string, std::less<>> all(used.begin(), used.end());
    for (const std::string& directory : used) {
        for (auto parent = ParentOf(directory); parent && all.insert(std::string(*parent)).second;
             parent = ParentOf(*parent)) {
        }
    }
    std::vector<std::string_view> ordered(all.begin(), all.end());
    std::sort(ordered.begin(), ordered.end(), [](std::string_view a, std::string_view b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    std::map<std::string_view, std::uint32_t> place;
    for (std::size_t i = 0; i < ordered.size(); ++i)
        place.emplace(ordered[i], static_cast<std::uint32_t>(i));
    std::map<std::string_view, std::uint32_t> suffixNumbers;
    std::vector<std::string_view> suffixes;
    std::vector<std::uint32_t> parents;
    std::vector<std::uint32_t> suffixOf;
    for (std::string_view directory : ordered) {
        const auto parent = ParentOf(directory);
        parents.push_back(parent ? place.at(*parent) + 1 : 0);
        const std::string_view suffix = directory.substr(parent ? parent->size() : 0);
        const auto [at, added] =
            suffixNumbers.emplace(suffix, static_cast<std::uint32_t>(suffixes.size()));
        if (added)
            suffixes.push_back(suffix);
        suffixOf.push_back(at->second);
    }
    std::string out;
    std::vector<std::uint32_t> offsets{0};
    std::string blob;
    for (std::string_view suffix : suffixes) {
        blob += suffix;
        offsets.push_back(static_cast<std::uint32_t>(blob.size()));
    }
    AppendVarint(out, suffixes.size());
    AppendPackedArray(out, offsets);
    AppendVarint(out, blob.size());
    out += blob;
    AppendVarint(out, ordered.size());
    AppendPackedArray(out, parents);
    AppendPackedArray(out, suffixOf);
    numbers.clear();
    for (const std::string& directory : used)
        numbers.push_back(place.at(directory));
    return out;
}

// A posting list: how many blocks (doubled, plus one for a bitmap), then the
// block numbers as differences, or a bitmap of every block when shorter.
std::string PostingList(const std::vector<std::uint32_t>& blocks, std::uint32_t blockCount) {
    std::string differences;
    AppendVarint(differences, std::uint64_t{blocks.size()} << 1);
    std::uint32_t previous = 0;
    for (std::uint32_t block : blocks) {
        AppendVarint(differences, block - previous);
        previous = block;
    }
    std::string bitmap;
    AppendVarint(bitmap, std::uint64_t{blocks.size()} << 1 | 1);
    const std::size_t header = bitmap.size();
    if (differences.size() <= header + (blockCount + 7) / 8)
        return differences;
    bitmap.resize(header + (blockCount + 7) / 8, '\0');
    for (std::uint32_t block : blocks)
        bitmap[header + block / 8] =
            static_cast<char>(bitmap[header + block / 8] | 1 << (block % 8));
    return bitmap;
}

void AppendText(std::string& out, std::string_view text) {
    AppendVarint(out, text.size());
    out += text;
}

} // namespace

std::uint32_t PartBuilder::DirectoryNumber(std::string_view directory) {
    const auto [at, added] = directoryNumbers_.try_emplace(
        std::string(directory), static_cast<std::uint32_t>(directories_.size()));
    if (added)
        directories_.push_back(at->first);
    return at->second;
}

void PartBuilder::AddTrigrams(std::string_view text, TextField field) {
    if (text.size() < 3)
        return;
    const std::string upper = AsciiUpper(std::string(text));
    for (std::size_t i = 0; i + 3 <= upper.size(); ++i)
        blockKeys_.push_back(TrigramKey(upper.data() + i, field));
}

void PartBuilder::EndBlock() {
    std::sort(blockKeys_.begin(), blockKeys_.end());
    blockKeys_.erase(std::unique(blockKeys_.begin(), blockKeys_.end()), blockKeys_.end());
    const std::uint64_t block = (records_.size() - 1) / BlockRecords;
    for (std::uint32_t key : blockKeys_)
        keyBlocks_.push_back(static_cast<std::uint64_t>(key) << 32 | block);
    blockKeys_.clear();
}

void PartBuilder::Add(const CatalogRecordView& record) {
    records_.push_back({std::string(record.Name()), DirectoryNumber(record.Directory()),
                        std::string(record.Date()), std::string(record.Time()),
                        std::string(record.Size())});
    for (std::string_view line : record.Lines)
        textBytes_ += line.size() + 2;
    AddTrigrams(record.Name(), TextField::Name);
    AddTrigrams(record.Directory(), TextField::Directory);
    if (records_.size() % BlockRecords == 0)
        EndBlock();
}

std::string PartBuilder::EncodeBlock(std::size_t first, std::size_t last, const ByteCode& code,
                                     const std::vector<std::uint32_t>& directoryNumbers,
                                     bool& allTimesCoded) const {
    std::vector<std::uint32_t> lengths, dirNumbers, dates, times;
    std::vector<ByteCode::Writer> names(NameStreams, ByteCode::Writer(code));
    std::string sizes, texts;
    for (std::size_t i = first, stream = 0; i < last; ++i) {
        const Record& record = records_[i];
        lengths.push_back(static_cast<std::uint32_t>(record.Name.size()));
        while (i - first >= NameStreamFirst(stream + 1, last - first))
            ++stream;
        names[stream].Add(record.Name);
        dirNumbers.push_back(directoryNumbers[record.Directory]);
        dates.push_back(DateCode(record.Date));
        times.push_back(TimeCode(record.Time));
        const std::uint64_t size = SizeCode(record.Size);
        AppendVarint(sizes, size);
        allTimesCoded = allTimesCoded && dates.back() != 0 && times.back() != 0;
        // The texts not in the scanner's form follow, in record order.
        for (const auto& [coded, text] :
             {std::pair{dates.back() != 0, &record.Date},
              std::pair{times.back() != 0, &record.Time}, std::pair{size != 0, &record.Size}}) {
            if (!coded)
                AppendText(texts, *text);
        }
    }
    std::string out;
    AppendVarint(out, last - first);
    AppendPackedArray(out, lengths);
    for (ByteCode::Writer& stream : names)
        AppendText(out, stream.Finish());
    AppendPackedArray(out, dirNumbers);
    AppendPackedArray(out, dates);
    AppendPackedArray(out, times);
    return out + sizes + texts;
}

namespace {

// The key group table, the keys and the posting lists, from the (key, block)
// pairs. Keys come in groups of KeyGroupSize: the group table says where each
// group and its lists begin; a group holds its keys as differences and the
// lengths of their lists.
struct KeySections {
    std::string GroupTable, Keys, Postings;
    std::uint32_t GroupCount = 0;
};

KeySections MakeKeySections(std::vector<std::uint64_t> pairs, std::uint32_t blockCount) {
    std::sort(pairs.begin(), pairs.end());
    KeySections sections;
    std::string group, groupPostings;
    std::uint32_t groupKeys = 0, previousKey = 0;
    const auto endGroup = [&] {
        AppendFixed32(sections.GroupTable, static_cast<std::uint32_t>(sections.Keys.size()));
        AppendFixed32(sections.GroupTable, static_cast<std::uint32_t>(sections.Postings.size()));
        AppendFixed32(sections.GroupTable, ShortCheckOf(group));
        AppendFixed32(sections.GroupTable, ShortCheckOf(groupPostings));
        sections.Keys += group;
        sections.Postings += groupPostings;
        group.clear();
        groupPostings.clear();
        groupKeys = 0;
        ++sections.GroupCount;
    };
    for (std::size_t i = 0; i < pairs.size();) {
        const auto key = static_cast<std::uint32_t>(pairs[i] >> 32);
        std::vector<std::uint32_t> list;
        for (; i < pairs.size() && pairs[i] >> 32 == key; ++i)
            list.push_back(static_cast<std::uint32_t>(pairs[i]));
        const std::string encoded = PostingList(list, blockCount);
        if (groupKeys == 0) {
            AppendFixed32(sections.GroupTable, key);
            previousKey = key;
        }
        AppendVarint(group, key - previousKey);
        AppendVarint(group, encoded.size());
        groupPostings += encoded;
        previousKey = key;
        if (++groupKeys == KeyGroupSize)
            endGroup();
    }
    if (groupKeys > 0)
        endGroup();
    return sections;
}

} // namespace

std::string PartBuilder::Finish(const CatalogIdentity& identity, std::int64_t readAt) {
    // The last block's keys, when it is not full.
    if (records_.size() % BlockRecords != 0)
        EndBlock();
    std::vector<std::uint32_t> directoryNumbers;
    const std::string dirs = DirectorySection(directories_, directoryNumbers);

    std::array<std::uint64_t, 256> counts{};
    for (const Record& record : records_) {
        for (char c : record.Name)
            ++counts[static_cast<unsigned char>(c)];
    }
    const ByteCode code = ByteCode::ForCounts(counts);

    const auto blockCount =
        static_cast<std::uint32_t>((records_.size() + BlockRecords - 1) / BlockRecords);
    std::string blocks, blockTable;
    bool allTimesCoded = true;
    for (std::size_t first = 0; first < records_.size(); first += BlockRecords) {
        const std::string block =
            EncodeBlock(first, std::min(records_.size(), first + BlockRecords), code,
                        directoryNumbers, allTimesCoded);
        AppendFixed32(blockTable, static_cast<std::uint32_t>(blocks.size()));
        AppendFixed32(blockTable, ShortCheckOf(block));
        blocks += block;
    }
    const KeySections keys = MakeKeySections(keyBlocks_, blockCount);

    // Offsets in the tables are 32-bit: a catalog of many gigabytes is read whole instead.
    if (blocks.size() > UINT32_MAX || keys.Postings.size() > UINT32_MAX ||
        keys.Keys.size() > UINT32_MAX)
        return {};
    std::string head;
    AppendIdentity(head, identity, readAt);
    AppendFixed64(head, records_.size());
    AppendFixed64(head, textBytes_);
    head += static_cast<char>(allTimesCoded);
    head += code.Lengths();
    AppendFixed64(head, dirs.size());
    AppendFixed64(head, CheckOf(dirs));
    AppendFixed64(head, keys.Keys.size());
    AppendFixed64(head, keys.Postings.size());
    AppendFixed32(head, keys.GroupCount);
    head += keys.GroupTable;
    AppendFixed32(head, blockCount);
    AppendFixed64(head, blocks.size());
    head += blockTable;

    std::string part(PartMagic);
    AppendFixed64(part, head.size());
    AppendFixed64(part, CheckOf(head));
    return part + head + dirs + keys.Keys + keys.Postings + blocks;
}

} // namespace quillory
