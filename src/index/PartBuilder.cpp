#include "index/PartBuilder.h"

#include "common/AsciiUpper.h"
#include "index/ByteCode.h"
#include "index/ByteReader.h"
#include "index/PackedArray.h"

#include <algorithm>

namespace quillory {

namespace {

void AppendText(std::string& out, std::string_view text) {
    AppendVarint(out, text.size());
    out += text;
}

// A posting list: how many blocks (doubled, plus one for a bitmap), then the
// block numbers as differences, or a bitmap of every block when shorter.
void AppendPostingList(std::string& out, std::uint32_t count, std::string_view differences,
                       std::uint32_t blockCount) {
    const std::size_t bitmapBytes = (blockCount + 7) / 8;
    if (differences.size() <= bitmapBytes) {
        AppendVarint(out, std::uint64_t{count} << 1);
        out += differences;
        return;
    }
    AppendVarint(out, std::uint64_t{count} << 1 | 1);
    const std::size_t bitmap = out.size();
    out.resize(bitmap + bitmapBytes, '\0');
    ByteReader reader(differences);
    std::uint64_t block = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        block += reader.Varint();
        out[bitmap + block / 8] = static_cast<char>(out[bitmap + block / 8] | 1 << (block % 8));
    }
}

// Counts what passes to a part's output.
class CountingOutput {
public:
    explicit CountingOutput(PartOutput& out) : out_(out) {}
    void Write(std::string_view bytes) {
        out_.Write(bytes);
        written_ += bytes.size();
    }
    std::uint64_t Written() const { return written_; }

private:
    PartOutput& out_;
    std::uint64_t written_ = 0;
};

// The posting lists, written as they are made, and the keys and the key
// group table, kept for after them. Keys come in groups of KeyGroupSize: the
// group table says where each group and its lists begin; a group holds its
// keys as differences and the lengths of their lists.
struct KeySections {
    std::string GroupTable, Keys;
    std::uint64_t PostingsLength = 0;
    std::uint32_t GroupCount = 0;
    KeyFilter Filter;
    std::size_t KeyCount = 0;
};

KeySections WriteKeySections(const KeyPostings& postings, std::uint32_t blockCount,
                             CountingOutput& out) {
    KeySections sections;
    std::string group, groupPostings;
    std::uint32_t groupKeys = 0, previousKey = 0;
    const auto endGroup = [&] {
        AppendFixed32(sections.GroupTable, static_cast<std::uint32_t>(sections.Keys.size()));
        AppendFixed32(sections.GroupTable, static_cast<std::uint32_t>(sections.PostingsLength));
        AppendFixed32(sections.GroupTable, ShortCheckOf(group));
        AppendFixed32(sections.GroupTable, ShortCheckOf(groupPostings));
        sections.Keys += group;
        out.Write(groupPostings);
        sections.PostingsLength += groupPostings.size();
        group.clear();
        groupPostings.clear();
        groupKeys = 0;
        ++sections.GroupCount;
    };
    postings.ForEachInOrder(
        [&](std::uint32_t key, std::uint32_t count, std::string_view differences) {
            const std::size_t before = groupPostings.size();
            sections.Filter.Add(key);
            ++sections.KeyCount;
            AppendPostingList(groupPostings, count, differences, blockCount);
            if (groupKeys == 0) {
                AppendFixed32(sections.GroupTable, key);
                previousKey = key;
            }
            AppendVarint(group, key - previousKey);
            AppendVarint(group, groupPostings.size() - before);
            previousKey = key;
            if (++groupKeys == KeyGroupSize)
                endGroup();
        });
    if (groupKeys > 0)
        endGroup();
    return sections;
}

} // namespace

PartBuilder::PartBuilder() : postings_(PartMemoryBytes / 4) {}

void PartBuilder::AddTrigrams(std::string_view text, TextField field, std::uint32_t block) {
    if (text.size() < 3)
        return;
    const std::uint32_t fieldBits = static_cast<std::uint32_t>(field) << 24;
    std::uint32_t key =
        static_cast<std::uint32_t>(static_cast<unsigned char>(AsciiUpper(text[0]))) << 8 |
        static_cast<std::uint32_t>(static_cast<unsigned char>(AsciiUpper(text[1]))) << 16;
    for (std::size_t i = 2; i < text.size(); ++i) {
        key = key >> 8 | static_cast<std::uint32_t>(static_cast<unsigned char>(AsciiUpper(text[i])))
                             << 16;
        postings_.Add(key | fieldBits, block);
    }
}

void PartBuilder::Add(const CatalogRecordView& record) {
    const std::string_view name = record.Name();
    const std::string_view directory = record.Directory();
    if (name.size() > MaxPartLineBytes || directory.size() > MaxPartLineBytes)
        throw PartRefused();
    const auto block = static_cast<std::uint32_t>(records_ / BlockRecords);
    names_.Append(name);
    nameLengths_.push_back(static_cast<std::uint32_t>(name.size()));
    for (char c : name)
        ++byteCounts_[static_cast<unsigned char>(c)];
    AddTrigrams(name, TextField::Name, block);
    // A directory's trigrams are noted once for each block holding it.
    const std::uint32_t number = directoryTable_.Number(directory);
    if (number >= directoryBlock_.size())
        directoryBlock_.resize(number + 1, 0);
    if (directoryBlock_[number] != block + 1) {
        AddTrigrams(directory, TextField::Directory, block);
        directoryBlock_[number] = block + 1;
    }
    directories_.push_back(number);
    dates_.push_back(DateCode(record.Date()));
    times_.push_back(TimeCode(record.Time()));
    kinds_.push_back(KindCode(record.Kind()));
    const std::uint64_t size = SizeCode(record.Size());
    AppendVarint(sizes_, size);
    allTimesCoded_ = allTimesCoded_ && dates_.back() != 0 && times_.back() != 0;
    // The texts not in the scanner's form follow, in record order.
    if (dates_.back() == 0)
        AppendText(texts_, record.Date());
    if (times_.back() == 0)
        AppendText(texts_, record.Time());
    if (size == 0)
        AppendText(texts_, record.Size());
    if (kinds_.back() == 0)
        AppendText(texts_, record.Kind());
    if (++records_ % BlockRecords == 0)
        EndBlock();
}

void PartBuilder::EndBlock() {
    tail_.clear();
    AppendPackedArray(tail_, directories_);
    AppendPackedArray(tail_, dates_);
    AppendPackedArray(tail_, times_);
    AppendPackedArray(tail_, kinds_);
    tail_ += sizes_;
    tail_ += texts_;
    blockTails_.Append(tail_);
    tailLengths_.push_back(static_cast<std::uint32_t>(tail_.size()));
    directories_.clear();
    dates_.clear();
    times_.clear();
    kinds_.clear();
    sizes_.clear();
    texts_.clear();
    if (MemoryBytes() > PartMemoryBytes)
        throw PartRefused();
}

std::size_t PartBuilder::MemoryBytes() const {
    return names_.MemoryBytes() + nameLengths_.capacity() * sizeof(std::uint32_t) +
           blockTails_.MemoryBytes() + tailLengths_.capacity() * sizeof(std::uint32_t) +
           directoryBlock_.capacity() * sizeof(std::uint32_t) + directoryTable_.MemoryBytes() +
           postings_.MemoryBytes();
}

PartShape PartBuilder::Finish(PartOutput& output) {
    if (records_ % BlockRecords != 0)
        EndBlock();
    CountingOutput out(output);
    const ByteCode code = ByteCode::ForCounts(byteCounts_);
    const auto blockCount = static_cast<std::uint32_t>(tailLengths_.size());
    std::string blockTable, block;
    std::vector<std::uint32_t> lengths;
    ChunkedText::Reader names(names_);
    ChunkedText::Reader tails(blockTails_);
    for (std::uint32_t b = 0; b < blockCount; ++b) {
        const std::size_t first = std::size_t{b} * BlockRecords;
        const std::size_t count = std::min<std::size_t>(BlockRecords, records_ - first);
        lengths.assign(nameLengths_.begin() + static_cast<std::ptrdiff_t>(first),
                       nameLengths_.begin() + static_cast<std::ptrdiff_t>(first + count));
        block.clear();
        AppendVarint(block, count);
        AppendPackedArray(block, lengths);
        for (std::size_t stream = 0; stream < NameStreams; ++stream) {
            ByteCode::Writer writer(code);
            for (std::size_t i = NameStreamFirst(stream, count);
                 i < NameStreamFirst(stream + 1, count); ++i)
                writer.Add(names.Next(lengths[i]));
            AppendText(block, writer.Finish());
        }
        block += tails.Next(tailLengths_[b]);
        AppendFixed32(blockTable, static_cast<std::uint32_t>(out.Written()));
        AppendFixed32(blockTable, ShortCheckOf(block));
        out.Write(block);
    }
    const std::uint64_t blocksLength = out.Written();
    const KeySections keys = WriteKeySections(postings_, blockCount, out);
    const std::string dirs = directoryTable_.Section();
    out.Write(dirs);
    out.Write(keys.Keys);
    // Offsets in the tables are 32-bit; the memory bound keeps every section far below.
    std::string head;
    AppendVarint(head, records_);
    head += static_cast<char>(allTimesCoded_);
    AppendCodeLengths(head, code.Lengths());
    AppendVarint(head, blocksLength);
    AppendVarint(head, dirs.size());
    AppendFixed64(head, CheckOf(dirs));
    AppendVarint(head, keys.PostingsLength);
    AppendVarint(head, keys.Keys.size());
    AppendVarint(head, keys.GroupCount);
    head += keys.GroupTable;
    head += blockTable;
    out.Write(head);
    return {out.Written(), head.size(), CheckOf(head),
            keys.KeyCount > KeyFilterKeys ? KeyFilter::Everything() : keys.Filter, allTimesCoded_};
}

} // namespace quillory
