#include "search/ResultList.h"

#include "common/Collation.h"
#include "common/Error.h"
#include "common/IntegerConversion.h"
#include "common/Parallel.h"
#include "search/DayNumber.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace quillory {

struct ResultList::Catalog {
    std::string DiskName;
    std::string DiskNumber;
};

namespace {

// Every page of a block starts with the address of the catalog of the
// entries beginning in it, so an entry finds its disk name and number by
// clearing the low bits of its address. An entry starts in a page with room
// for it; a longer one starts a page and runs on, and the page after it
// starts afresh. Blocks grow from a page to MaxBlockBytes, so a catalog with
// few matches costs a page where one with millions costs few blocks.
constexpr std::size_t PageBytes = 4096;
constexpr std::size_t PageHeader = sizeof(void*);
constexpr std::size_t MaxBlockBytes = std::size_t{1} << 20;

std::size_t RoundUpToPage(std::size_t bytes) {
    return (bytes + PageBytes - 1) / PageBytes * PageBytes;
}

// Lengths are stored as 7-bit groups, low first: one byte for texts under 128.
char* PutLength(char* at, std::size_t length) {
    while (length >= 0x80) {
        *at++ = static_cast<char>((length & 0x7F) | 0x80);
        length >>= 7;
    }
    *at++ = static_cast<char>(length);
    return at;
}

std::size_t LengthBytes(std::size_t length) {
    std::size_t bytes = 1;
    for (; length >= 0x80; length >>= 7)
        ++bytes;
    return bytes;
}

std::string_view TakeText(const char*& at) {
    std::size_t length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        length |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if (byte < 0x80)
            break;
    }
    const std::string_view text(at, length);
    at += length;
    return text;
}

// An entry's collation key as the text sort moves it: eight bytes of the key
// at a time, most significant first and zeros past its end, where it goes on,
// and how many bytes are left from those eight on.
struct Prefixed {
    std::uint64_t Chunk;
    const char* Rest;
    std::uint32_t Length;
    std::uint32_t Index; // the entry's place in the list
};

std::uint64_t ChunkOf(const char* bytes, std::size_t length) {
    std::uint64_t chunk = 0;
    for (std::size_t b = 0; b < 8; ++b)
        chunk = chunk << 8 | (b < length ? static_cast<unsigned char>(bytes[b]) : 0u);
    return chunk;
}

// A key's place by its chunk: a shorter chunk, zeros and all, first.
using Rank = std::pair<std::uint64_t, std::uint32_t>;
Rank RankOf(const Prefixed& p) {
    return {p.Chunk, std::min<std::uint32_t>(p.Length, 8)};
}

bool Before(const Rank& a, const Rank& b, bool ascending) {
    return ascending ? a < b : b < a;
}

// Sorts keys in byte order, eight bytes at a time: by their chunks, then
// each run of equal chunks by the next, until no run is left. File names
// often begin alike ("IMG_", "DSC"), and comparing whole keys byte by byte
// would then cost most of the sort.
void SortByChunks(Prefixed* first, Prefixed* last, bool ascending) {
    // Runs still to sort, kept here rather than on the stack: a run of equal
    // keys a megabyte long goes as deep as its length in chunks.
    std::vector<std::pair<Prefixed*, Prefixed*>> runs{{first, last}};
    while (!runs.empty()) {
        const auto [begin, end] = runs.back();
        runs.pop_back();
        std::sort(begin, end, [ascending](const Prefixed& a, const Prefixed& b) {
            return Before(RankOf(a), RankOf(b), ascending);
        });
        for (Prefixed* run = begin; run != end;) {
            Prefixed* next = run + 1;
            while (next != end && RankOf(*next) == RankOf(*run))
                ++next;
            if (next - run > 1 && run->Length >= 8) {
                for (Prefixed* p = run; p != next; ++p) {
                    p->Length -= 8;
                    p->Chunk = ChunkOf(p->Rest, p->Length);
                    p->Rest += std::min<std::uint32_t>(p->Length, 8);
                }
                runs.emplace_back(run, next);
            }
            run = next;
        }
    }
}

// The same on every core: the keys are cut by their first chunks into one
// range per core, each before the next (the cuts are chunks picked from a
// sample of the keys), and the ranges are sorted at once. Keys whose first
// chunks are all alike stay in one range, sorted as before.
void SortOnEveryCore(std::vector<Prefixed>& keys, bool ascending) {
    constexpr std::size_t SmallestCut = 1 << 12;
    const std::size_t cores = std::min(CoreCount(), keys.size() / SmallestCut);
    if (cores < 2) {
        SortByChunks(keys.data(), keys.data() + keys.size(), ascending);
        return;
    }
    std::vector<Rank> sample;
    for (std::size_t i = 0; i < 64 * cores; ++i)
        sample.push_back(RankOf(keys[i * keys.size() / (64 * cores)]));
    std::sort(sample.begin(), sample.end(),
              [ascending](const Rank& a, const Rank& b) { return Before(a, b, ascending); });
    std::vector<Prefixed*> cuts{keys.data()};
    for (std::size_t c = 1; c < cores; ++c) {
        const auto cut = sample[c * sample.size() / cores];
        cuts.push_back(
            std::partition(cuts.back(), keys.data() + keys.size(),
                           [&](const Prefixed& p) { return Before(RankOf(p), cut, ascending); }));
    }
    cuts.push_back(keys.data() + keys.size());
    ForEachInParallel(cores, [&](std::size_t c) { SortByChunks(cuts[c], cuts[c + 1], ascending); });
}

template <typename Key> struct Keyed {
    Key Value;
    const char* Entry;
};

// Orders `order` by the keys, and entries without a key after all others in
// either direction.
template <typename Key>
ResultList::Order SortKeyed(std::vector<Keyed<std::optional<Key>>>& keyed, bool ascending) {
    std::sort(keyed.begin(), keyed.end(), [ascending](const auto& a, const auto& b) {
        if (!a.Value || !b.Value)
            return a.Value.has_value() && !b.Value.has_value();
        return ascending ? *a.Value < *b.Value : *b.Value < *a.Value;
    });
    ResultList::Order order(keyed.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = keyed[i].Entry;
    return order;
}

} // namespace

// Pages are cut from blocks of this many.
constexpr std::size_t PagesBlockBytes = 64 * PageBytes;

ResultPages::ResultPages() : used_(PagesBlockBytes) {}

ResultPages::~ResultPages() {
    for (char* block : blocks_)
        std::free(block);
}

char* ResultPages::Page() {
    const std::lock_guard lock(mutex_);
    if (used_ == PagesBlockBytes) {
        blocks_.reserve(blocks_.size() + 1);
        char* block = static_cast<char*>(std::aligned_alloc(PageBytes, PagesBlockBytes));
        if (!block)
            throw std::bad_alloc();
        blocks_.push_back(block);
        used_ = 0;
    }
    char* page = blocks_.back() + used_;
    used_ += PageBytes;
    return page;
}

ResultList::ResultList() = default;
ResultList::ResultList(std::shared_ptr<ResultPages> pages) : pageSource_(std::move(pages)) {}
ResultList::~ResultList() = default;
ResultList::ResultList(ResultList&&) noexcept = default;
ResultList& ResultList::operator=(ResultList&&) noexcept = default;

void ResultList::FreeBlock::operator()(char* block) const {
    if (Owned)
        std::free(block);
}

char* ResultList::Allocate(std::size_t bytes) {
    std::size_t at = blockUsed_;
    if (at % PageBytes == 0 || bytes > PageBytes - at % PageBytes)
        at = RoundUpToPage(at) + PageHeader;
    if (blocks_.empty() || at + bytes > blockSize_) {
        const std::size_t grown =
            blocks_.empty() ? PageBytes : std::min(blockSize_ * 2, MaxBlockBytes);
        blockSize_ = std::max(grown, RoundUpToPage(PageHeader + bytes));
        if (blocks_.empty() && blockSize_ == PageBytes && pageSource_) {
            blocks_.emplace_back(pageSource_->Page(), FreeBlock{.Owned = false});
            pages_.push_back(pageSource_);
        } else {
            char* block = static_cast<char*>(std::aligned_alloc(PageBytes, blockSize_));
            if (!block)
                throw std::bad_alloc();
            blocks_.emplace_back(block);
        }
        at = PageHeader;
    }
    char* base = blocks_.back().get();
    if (at % PageBytes == PageHeader) {
        const Catalog* catalog = catalogs_.back().get();
        std::memcpy(base + at - PageHeader, &catalog, sizeof catalog);
    }
    blockUsed_ = at + bytes;
    // No entry may start in the pages a long one runs into: they have no header.
    if ((at + bytes - 1) / PageBytes != at / PageBytes)
        blockUsed_ = RoundUpToPage(blockUsed_);
    return base + at;
}

void ResultList::BeginCatalog(std::string_view diskName, std::string_view diskNumber) {
    // Kept until the catalog's first entry: most catalogs of a search have none.
    nextDiskName_.assign(diskName);
    nextDiskNumber_.assign(diskNumber);
    catalogBegun_ = true;
}

// An entry is its six texts (name, directory, size, date, time, kind), each
// after its length.
void ResultList::Append(std::string_view name, std::string_view directory, std::string_view size,
                        std::string_view date, std::string_view time, std::string_view kind) {
    if (catalogBegun_) {
        catalogs_.push_back(std::make_unique<Catalog>(
            Catalog{std::move(nextDiskName_), std::move(nextDiskNumber_)}));
        blockUsed_ = RoundUpToPage(blockUsed_); // a catalog's entries start a page of their own
        catalogBegun_ = false;
    }
    const std::string_view texts[] = {name, directory, size, date, time, kind};
    std::size_t bytes = 0;
    for (std::string_view text : texts)
        bytes += LengthBytes(text.size()) + text.size();
    char* at = Allocate(bytes);
    order_.push_back(at);
    for (std::string_view text : texts) {
        at = PutLength(at, text.size());
        // A line a short record lacks is an empty view that points nowhere.
        if (!text.empty())
            std::memcpy(at, text.data(), text.size());
        at += text.size();
    }
}

ResultEntry ResultList::Decode(const char* at) {
    const Catalog* catalog = nullptr;
    const auto page = reinterpret_cast<std::uintptr_t>(at) & ~(std::uintptr_t{PageBytes} - 1);
    std::memcpy(&catalog, reinterpret_cast<const char*>(page), sizeof catalog);
    ResultEntry entry;
    entry.DiskName = catalog->DiskName;
    entry.DiskNumber = catalog->DiskNumber;
    entry.Name = TakeText(at);
    entry.Directory = TakeText(at);
    entry.Size = TakeText(at);
    entry.Date = TakeText(at);
    entry.Time = TakeText(at);
    entry.Kind = TakeText(at);
    return entry;
}

void ResultList::Splice(ResultList&& other) {
    // New entries go into a block of their own catalog.
    blockUsed_ = blockSize_;
    for (auto& block : other.blocks_)
        blocks_.push_back(std::move(block));
    for (auto& catalog : other.catalogs_)
        catalogs_.push_back(std::move(catalog));
    for (auto& pages : other.pages_) {
        if (std::find(pages_.begin(), pages_.end(), pages) == pages_.end())
            pages_.push_back(std::move(pages));
    }
    order_.insert(order_.end(), other.order_.begin(), other.order_.end());
    other = ResultList();
}

ResultEntry ResultList::Entry(std::size_t index) const {
    return Decode(order_.at(index));
}

ResultList::Order ResultList::SortedByText(ResultKey key, bool ascending) const {
    // Collation keys are made once per entry on every core and kept in
    // blocks that never move. The sort moves small records of eight bytes of
    // a key, the address of the rest and the entry's index.
    const std::size_t count = order_.size();
    const auto textOf = [key](const ResultEntry& entry) {
        return key == ResultKey::Name        ? entry.Name
               : key == ResultKey::Directory ? entry.Directory
                                             : entry.DiskName;
    };
    constexpr std::size_t ChunkSize = 1 << 20;
    std::vector<std::vector<std::unique_ptr<char[]>>> chunks(CoreCount());
    std::vector<Prefixed> keyed(count);
    ForEachSlice(count, [&](std::size_t part, std::size_t first, std::size_t last) {
        const Collation collation(Collation::Strength::IgnoreCase);
        std::string made;
        std::size_t room = 0;
        char* at = nullptr;
        for (std::size_t i = first; i < last; ++i) {
            made.clear();
            collation.AppendSortKey(textOf(Decode(order_[i])), made);
            const std::size_t rest = made.size() > 8 ? made.size() - 8 : 0;
            if (rest > room) {
                room = std::max(ChunkSize, rest);
                chunks[part].push_back(std::make_unique_for_overwrite<char[]>(room));
                at = chunks[part].back().get();
            }
            if (rest > 0)
                std::memcpy(at, made.data() + 8, rest);
            keyed[i] = {ChunkOf(made.data(), made.size()), at,
                        static_cast<std::uint32_t>(made.size()), static_cast<std::uint32_t>(i)};
            at += rest;
            room -= rest;
        }
    });
    SortOnEveryCore(keyed, ascending);
    // The keys go before the new order is made, so the two never take memory at once.
    std::vector<std::uint32_t> indices(count);
    for (std::size_t i = 0; i < count; ++i)
        indices[i] = keyed[i].Index;
    std::vector<Prefixed>().swap(keyed);
    chunks.clear();
    Order order(count);
    for (std::size_t i = 0; i < count; ++i)
        order[i] = order_[indices[i]];
    return order;
}

void ResultList::Sort(ResultKey key, bool ascending) {
    SetOrder(SortedOrder(key, ascending));
}

void ResultList::SetOrder(Order order) {
    order_ = std::move(order);
}

ResultList::Order ResultList::SortedOrder(ResultKey key, bool ascending) const {
    const std::size_t count = order_.size();
    if (key == ResultKey::Name || key == ResultKey::Directory || key == ResultKey::DiskName)
        return SortedByText(key, ascending);
    if (key == ResultKey::DateTime) {
        std::vector<Keyed<std::optional<double>>> keyed(count);
        ForEachSlice(count, [&](std::size_t, std::size_t first, std::size_t last) {
            for (std::size_t i = first; i < last; ++i) {
                const ResultEntry entry = Decode(order_[i]);
                keyed[i].Entry = order_[i];
                try {
                    keyed[i].Value = TimeValue(entry.Date, entry.Time);
                } catch (const Error&) {
                    // not a date: sorts after every date
                }
            }
        });
        return SortKeyed(keyed, ascending);
    }
    std::vector<Keyed<std::optional<std::int64_t>>> keyed(count);
    ForEachSlice(count, [&](std::size_t, std::size_t first, std::size_t last) {
        for (std::size_t i = first; i < last; ++i) {
            const ResultEntry entry = Decode(order_[i]);
            keyed[i].Entry = order_[i];
            if (key == ResultKey::Size)
                keyed[i].Value = TryStrToInt64(entry.Size);
            else if (const auto number = TryStrToInt(entry.DiskNumber))
                keyed[i].Value = *number;
        }
    });
    return SortKeyed(keyed, ascending);
}

} // namespace quillory
