#include "index/CatalogPart.h"

#include "index/ByteReader.h"
#include "index/PartFormat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace quillory {

namespace {

std::uint32_t Fixed32At(std::string_view table, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value =
            value << 8 | static_cast<unsigned char>(table[offset + static_cast<std::size_t>(i)]);
    return value;
}

bool Checked(std::string_view bytes, std::uint32_t check) {
    return ShortCheckOf(bytes) == check;
}

// Marks in `hits` the blocks of one posting list.
void CountBlocks(std::string_view list, std::uint32_t blockCount, std::vector<std::uint8_t>& hits) {
    ByteReader reader(list);
    const std::uint64_t header = reader.Varint();
    if (header & 1) {
        const std::string_view bitmap = reader.Bytes((blockCount + 7) / 8);
        for (std::uint32_t block = 0; block < blockCount; ++block)
            hits[block] =
                static_cast<std::uint8_t>(hits[block] + ((bitmap[block / 8] >> (block % 8)) & 1));
        return;
    }
    std::uint64_t block = 0;
    for (std::uint64_t count = header >> 1; count > 0; --count) {
        block += reader.Varint();
        if (block >= blockCount)
            throw DamagedPart();
        ++hits[block];
    }
}

const char* Find(const char* from, const char* end, std::string_view text) {
    return static_cast<const char*>(
        ::memmem(from, static_cast<std::size_t>(end - from), text.data(), text.size()));
}

// Which of the names packed one after another in `upper` (of `lengths`),
// their ASCII letters upper-cased, hold `text`, a bit for each: the text is
// looked for once in all of them rather than in each name apart.
std::uint64_t NamesHolding(std::string_view upper, const std::uint32_t* lengths, std::size_t count,
                           std::string_view text) {
    static_assert(BlockRecords <= 64);
    std::uint64_t holding = 0;
    std::size_t record = 0;
    std::size_t recordEnd = count > 0 ? lengths[0] : 0;
    // memmem skips through the text far faster than find, which stops at
    // every byte that begins it.
    const char* const begin = upper.data();
    const char* const end = begin + upper.size();
    for (const char* hit = Find(begin, end, text); hit; hit = Find(hit + 1, end, text)) {
        const auto at = static_cast<std::size_t>(hit - begin);
        while (at >= recordEnd && record + 1 < count)
            recordEnd += lengths[++record];
        if (at + text.size() <= recordEnd)
            holding |= std::uint64_t{1} << record;
    }
    return holding;
}

} // namespace

CatalogPart::CatalogPart(std::string_view bytes, std::uint64_t headLength, std::uint64_t headCheck)
    : bytes_(bytes) {
    if (headLength > bytes.size())
        throw DamagedPart();
    const std::string_view head = bytes.substr(bytes.size() - headLength);
    if (CheckOf(head) != headCheck)
        throw DamagedPart();
    ReadHead(head);
    std::uint64_t offset = 0;
    for (Section* section : {&blocks_, &postings_, &dirs_, &keys_}) {
        section->Offset = offset;
        offset += section->Length;
    }
    if (offset != bytes.size() - headLength)
        throw DamagedPart();
}

std::string_view CatalogPart::Bytes(std::uint64_t offset, std::uint64_t length) const {
    if (offset > bytes_.size() || length > bytes_.size() - offset)
        throw DamagedPart();
    return bytes_.substr(offset, length);
}

void CatalogPart::ReadHead(std::string_view head) {
    ByteReader reader(head);
    recordCount_ = reader.Varint();
    allTimesCoded_ = reader.Bytes(1)[0] != 0;
    const std::size_t codeStart = head.size() - reader.Left();
    ReadCodeLengths(reader);
    codeLengths_ = head.substr(codeStart, head.size() - reader.Left() - codeStart);
    // Every length is held against the part before anything is made of it:
    // each section lies within the part, and each block takes a byte at least.
    for (Section* section : {&blocks_, &dirs_}) {
        section->Length = reader.Varint();
        if (section->Length > bytes_.size())
            throw DamagedPart();
    }
    dirsCheck_ = reader.Fixed64();
    for (Section* section : {&postings_, &keys_}) {
        section->Length = reader.Varint();
        if (section->Length > bytes_.size())
            throw DamagedPart();
    }
    const std::uint64_t groups = reader.Varint();
    if (groups > reader.Left() / GroupEntryBytes)
        throw DamagedPart();
    groupCount_ = static_cast<std::uint32_t>(groups);
    groupTable_ = reader.Bytes(groups * GroupEntryBytes);
    if (recordCount_ > blocks_.Length * BlockRecords)
        throw DamagedPart();
    blockCount_ = static_cast<std::uint32_t>((recordCount_ + BlockRecords - 1) / BlockRecords);
    blockTable_ = reader.Bytes(std::uint64_t{blockCount_} * BlockEntryBytes);
    if (reader.Left() != 0 || blocks_.Length > UINT32_MAX || keys_.Length > UINT32_MAX ||
        postings_.Length > UINT32_MAX)
        throw DamagedPart();
}

void CatalogPart::Verify() const {
    CheckDirectories();
    for (std::uint32_t group = 0; group < groupCount_; ++group) {
        const std::size_t entry = std::size_t{group} * GroupEntryBytes;
        const bool last = group + 1 == groupCount_;
        const std::uint64_t keysBegin = Fixed32At(groupTable_, entry + 4);
        const std::uint64_t keysEnd =
            last ? keys_.Length : Fixed32At(groupTable_, entry + GroupEntryBytes + 4);
        const std::uint64_t listsBegin = Fixed32At(groupTable_, entry + 8);
        const std::uint64_t listsEnd =
            last ? postings_.Length : Fixed32At(groupTable_, entry + GroupEntryBytes + 8);
        if (keysBegin > keysEnd || listsBegin > listsEnd ||
            !Checked(Bytes(keys_.Offset + keysBegin, keysEnd - keysBegin),
                     Fixed32At(groupTable_, entry + 12)) ||
            !Checked(Bytes(postings_.Offset + listsBegin, listsEnd - listsBegin),
                     Fixed32At(groupTable_, entry + 16)))
            throw DamagedPart();
    }
    for (std::uint32_t block = 0; block < blockCount_; ++block)
        ReadBlock(block);
}

std::optional<CatalogPart::ListPlace> CatalogPart::FindList(std::uint32_t key) const {
    // The group holding the key: the last whose first key is not above it.
    std::size_t low = 0;
    std::size_t high = groupCount_;
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (Fixed32At(groupTable_, middle * GroupEntryBytes) <= key)
            low = middle + 1;
        else
            high = middle;
    }
    if (low == 0)
        return std::nullopt;
    const std::size_t entry = (low - 1) * GroupEntryBytes;
    const bool last = low == groupCount_;
    const std::uint32_t keysBegin = Fixed32At(groupTable_, entry + 4);
    const std::uint32_t keysEnd = last ? static_cast<std::uint32_t>(keys_.Length)
                                       : Fixed32At(groupTable_, entry + GroupEntryBytes + 4);
    ListPlace place;
    place.ListsBegin = Fixed32At(groupTable_, entry + 8);
    place.ListsEnd = last ? postings_.Length : Fixed32At(groupTable_, entry + GroupEntryBytes + 8);
    place.ListsCheck = Fixed32At(groupTable_, entry + 16);
    if (keysBegin > keysEnd || keysEnd > keys_.Length || place.ListsBegin > place.ListsEnd ||
        place.ListsEnd > postings_.Length)
        throw DamagedPart();
    const std::string_view group = Bytes(keys_.Offset + keysBegin, keysEnd - keysBegin);
    // A search's keys often share a group: each is checked once.
    if (checkedGroup_ != low && !Checked(group, Fixed32At(groupTable_, entry + 12)))
        throw DamagedPart();
    checkedGroup_ = low;
    ByteReader keys(group);
    std::uint64_t at = Fixed32At(groupTable_, entry);
    std::uint64_t listAt = place.ListsBegin;
    while (keys.Left() > 0) {
        at += keys.Varint();
        place.Length = keys.Varint();
        // Every list lies within its group's lists.
        if (place.Length == 0 || place.Length > place.ListsEnd - listAt)
            throw DamagedPart();
        if (at == key) {
            place.Begin = listAt;
            return place;
        }
        if (at > key)
            break;
        listAt += place.Length;
    }
    return std::nullopt;
}

std::string_view CatalogPart::ReadList(const ListPlace& place) const {
    const std::string_view lists =
        Bytes(postings_.Offset + place.ListsBegin, place.ListsEnd - place.ListsBegin);
    if (checkedLists_ != place.ListsBegin + 1 && !Checked(lists, place.ListsCheck))
        throw DamagedPart();
    checkedLists_ = place.ListsBegin + 1;
    return lists.substr(place.Begin - place.ListsBegin, place.Length);
}

std::vector<std::uint32_t>
CatalogPart::CandidateBlocks(const std::vector<std::uint32_t>& keys) const {
    // The keys' groups say how long each list is without reading it; the
    // shortest few narrow the blocks down about as well as all of them, and
    // every candidate is tested record by record anyway.
    std::vector<ListPlace> places;
    for (std::uint32_t key : keys) {
        const std::optional<ListPlace> place = FindList(key);
        if (!place)
            return {}; // no record holds this trigram
        places.push_back(*place);
    }
    std::sort(places.begin(), places.end(),
              [](const ListPlace& a, const ListPlace& b) { return a.Length < b.Length; });
    places.resize(std::min(places.size(), MaxListsRead));
    std::vector<std::uint8_t> hits(blockCount_, 0);
    for (const ListPlace& place : places)
        CountBlocks(ReadList(place), blockCount_, hits);
    std::vector<std::uint32_t> blocks;
    for (std::uint32_t block = 0; block < blockCount_; ++block) {
        if (hits[block] == places.size())
            blocks.push_back(block);
    }
    return blocks;
}

std::string_view CatalogPart::ReadBlock(std::uint32_t block) const {
    const std::size_t entry = std::size_t{block} * BlockEntryBytes;
    const std::uint32_t begin = Fixed32At(blockTable_, entry);
    const std::uint32_t end = block + 1 < blockCount_
                                  ? Fixed32At(blockTable_, entry + BlockEntryBytes)
                                  : static_cast<std::uint32_t>(blocks_.Length);
    if (begin >= end || end > blocks_.Length)
        throw DamagedPart();
    const std::string_view bytes = Bytes(blocks_.Offset + begin, end - begin);
    if (!Checked(bytes, Fixed32At(blockTable_, entry + 4)))
        throw DamagedPart();
    return bytes;
}

void CatalogPart::CheckDirectories() const {
    if (dirsRead_)
        return;
    const std::string_view dirs = Bytes(dirs_.Offset, dirs_.Length);
    if (CheckOf(dirs) != dirsCheck_)
        throw DamagedPart();
    ByteReader reader(dirs);
    const std::uint64_t suffixCount = reader.Varint();
    if (suffixCount >= SIZE_MAX / 8)
        throw DamagedPart();
    suffixOffsets_ = PackedArray(reader, static_cast<std::size_t>(suffixCount + 1));
    suffixBlob_ = reader.Bytes(reader.Varint());
    const std::uint64_t dirCount = reader.Varint();
    if (dirCount >= SIZE_MAX / 8)
        throw DamagedPart();
    parents_ = PackedArray(reader, static_cast<std::size_t>(dirCount));
    suffixes_ = PackedArray(reader, static_cast<std::size_t>(dirCount));
    dirsRead_ = true;
}

const ByteCode& CatalogPart::Code() const {
    if (!code_) {
        ByteReader reader(codeLengths_);
        code_ = std::make_unique<const ByteCode>(ReadCodeLengths(reader));
    }
    return *code_;
}

void CatalogPart::AppendDirectory(std::uint32_t number, std::string& out) const {
    // Suffixes are met from the deepest directory up, then put in order.
    std::uint32_t chain[MaxDirectoryDepth];
    std::size_t depth = 0;
    for (std::uint32_t at = number + 1; at != 0; at = parents_[at - 1]) {
        if (at > parents_.Size() || depth == std::size(chain) ||
            (depth > 0 && at >= chain[depth - 1] + 1))
            throw DamagedPart();
        chain[depth++] = at - 1;
    }
    while (depth > 0) {
        const std::uint32_t suffix = suffixes_[chain[--depth]];
        if (std::size_t{suffix} + 1 >= suffixOffsets_.Size())
            throw DamagedPart();
        const std::uint32_t begin = suffixOffsets_[suffix];
        const std::uint32_t end = suffixOffsets_[suffix + 1];
        if (begin > end || end > suffixBlob_.size())
            throw DamagedPart();
        out.append(suffixBlob_.substr(begin, end - begin));
    }
}

// A block's columns, read out of its bytes; the names stay coded until asked for.
struct CatalogPart::BlockColumns {
    std::size_t Count = 0;
    std::uint32_t Lengths[BlockRecords];
    std::size_t NameBytes = 0;
    std::array<ByteCode::CodedStream, NameStreams> Streams;
    PackedArray Directories, Dates, Times, Kinds;
    // Sizes take several bytes: only those of the records handed over are
    // read out. A size in the scanner's form is never 0, one byte.
    std::string_view Sizes[BlockRecords];
    // The texts of each record's date, time, size and kind not in the
    // scanner's form, which follow the columns in record order; most blocks
    // have none.
    enum Field { Date, Time, Size, Kind };
    bool AnyTexts = false;
    std::string_view Texts[BlockRecords][4];

    // The text of a field not in the scanner's form.
    std::string_view Text(std::size_t i, Field field) const {
        if (!AnyTexts)
            throw DamagedPart();
        return Texts[i][field];
    }

    bool Coded(std::size_t i, Field field) const {
        switch (field) {
        case Date:
            return Dates[i] != 0;
        case Time:
            return Times[i] != 0;
        case Size:
            return Sizes[i] != std::string_view("\0", 1);
        case Kind:
            return Kinds[i] != 0;
        }
        return false;
    }
};

void CatalogPart::ReadColumns(std::uint32_t block, BlockColumns& out) const {
    ByteReader reader(ReadBlock(block));
    const std::uint64_t count = reader.Varint();
    const std::uint64_t expected =
        std::min<std::uint64_t>(BlockRecords, recordCount_ - std::uint64_t{block} * BlockRecords);
    if (count != expected)
        throw DamagedPart();
    const auto n = out.Count = static_cast<std::size_t>(count);
    const PackedArray packedLengths(reader, n);
    out.NameBytes = 0;
    for (std::size_t i = 0; i < n; ++i)
        out.NameBytes += out.Lengths[i] = packedLengths[i];
    for (std::size_t s = 0; s < NameStreams; ++s) {
        out.Streams[s] = {};
        out.Streams[s].Bits = reader.Bytes(reader.Varint());
        for (std::size_t i = NameStreamFirst(s, n); i < NameStreamFirst(s + 1, n); ++i)
            out.Streams[s].Count += out.Lengths[i];
        // Every byte takes a bit at least: the names' room is held against the bits.
        if (out.Streams[s].Count > out.Streams[s].Bits.size() * 8)
            throw DamagedPart();
    }
    out.Directories = PackedArray(reader, n);
    out.Dates = PackedArray(reader, n);
    out.Times = PackedArray(reader, n);
    out.Kinds = PackedArray(reader, n);
    reader.PassVarints(n, out.Sizes);
    out.AnyTexts = reader.Left() > 0;
    for (std::size_t i = 0; out.AnyTexts && i < n; ++i) {
        for (const auto field :
             {BlockColumns::Date, BlockColumns::Time, BlockColumns::Size, BlockColumns::Kind}) {
            out.Texts[i][field] = {};
            if (!out.Coded(i, field))
                out.Texts[i][field] = reader.Bytes(reader.Varint());
        }
    }
    if (reader.Left() != 0)
        throw DamagedPart();
}

std::uint64_t CatalogPart::PassingColumns(const BlockColumns& block, const ColumnTest* columns) {
    const std::uint64_t all =
        block.Count == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << block.Count) - 1;
    if (!columns)
        return all;
    std::uint64_t passing = 0;
    for (std::size_t i = 0; i < block.Count; ++i) {
        const bool sizeCoded = block.Coded(i, BlockColumns::Size);
        const std::optional<std::uint64_t> size =
            sizeCoded ? std::optional(ByteReader(block.Sizes[i]).Varint() - 1) : std::nullopt;
        const std::string_view kind = block.Coded(i, BlockColumns::Kind)
                                          ? KindText(block.Kinds[i])
                                          : block.Text(i, BlockColumns::Kind);
        if (columns->Passes(kind, size, sizeCoded ? "" : block.Text(i, BlockColumns::Size)))
            passing |= std::uint64_t{1} << i;
    }
    return passing;
}

std::size_t CatalogPart::CountRecords(std::uint32_t block, const ColumnTest& columns) const {
    BlockColumns read;
    ReadColumns(block, read);
    return static_cast<std::size_t>(std::popcount(PassingColumns(read, &columns)));
}

void CatalogPart::ForEachRecord(std::uint32_t block, const RecordConsumer& consumer,
                                std::string_view nameText, const ColumnTest* columns) const {
    static_assert(BlockRecords <= 64);
    CheckDirectories();
    Scratch& scratch = scratch_;
    BlockColumns read;
    ReadColumns(block, read);
    std::uint64_t wanted = PassingColumns(read, columns);
    if (wanted == 0)
        return;
    const std::size_t n = read.Count;
    std::string& names = scratch.Names;
    names.resize(read.NameBytes);
    scratch.Upper.resize(nameText.empty() ? 0 : read.NameBytes);
    Code().Decode(read.Streams, names.data(), nameText.empty() ? nullptr : scratch.Upper.data());
    if (!nameText.empty())
        wanted &= NamesHolding(scratch.Upper, read.Lengths, n, nameText);
    std::string& directory = scratch.Directory;
    CatalogRecordView record;
    std::size_t nameAt = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string_view name = std::string_view(names).substr(nameAt, read.Lengths[i]);
        nameAt += read.Lengths[i];
        if (!(wanted >> i & 1))
            continue;
        char dateBuffer[16], timeBuffer[16], sizeBuffer[24];
        const auto text = [&](BlockColumns::Field field) { return read.Text(i, field); };
        record.Lines[0] =
            read.Coded(i, BlockColumns::Kind) ? KindText(read.Kinds[i]) : text(BlockColumns::Kind);
        record.Lines[1] = name;
        if (read.Directories[i] >= parents_.Size())
            throw DamagedPart();
        directory.clear();
        AppendDirectory(read.Directories[i], directory);
        record.Lines[2] = directory;
        record.Lines[3] = read.Coded(i, BlockColumns::Date) ? DateText(read.Dates[i], dateBuffer)
                                                            : text(BlockColumns::Date);
        record.Lines[4] = read.Coded(i, BlockColumns::Time) ? TimeText(read.Times[i], timeBuffer)
                                                            : text(BlockColumns::Time);
        record.Lines[5] = read.Coded(i, BlockColumns::Size)
                              ? SizeText(ByteReader(read.Sizes[i]).Varint(), sizeBuffer)
                              : text(BlockColumns::Size);
        consumer(record);
    }
}

} // namespace quillory
