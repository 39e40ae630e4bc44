#include "search/ResultList.h"

#include "common/Collation.h"
#include "common/Error.h"
#include "search/DayNumber.h"
#include "store/IntegerConversion.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <thread>

namespace quillory {

struct ResultList::Catalog {
    std::string DiskName;
    std::string DiskNumber;
};

namespace {

// Blocks start small, as most searches find little, and double up to 1 MiB.
constexpr std::size_t FirstBlockSize = 16 << 10;
constexpr std::size_t LargestBlockSize = 1 << 20;

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

std::size_t Cores() {
    return std::max(1u, std::thread::hardware_concurrency());
}

// Runs `work(part, first, last)` over slices of [0, count), one per core, and
// returns the slice length (entry i lies in part i / length).
template <typename Work> std::size_t OnEveryCore(std::size_t count, Work work) {
    const std::size_t slice = std::max<std::size_t>(1, (count + Cores() - 1) / Cores());
    std::vector<std::jthread> workers;
    for (std::size_t first = 0; first < count; first += slice)
        workers.emplace_back([&work, first, last = std::min(count, first + slice), slice] {
            work(first / slice, first, last);
        });
    return slice;
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

ResultList::ResultList() = default;
ResultList::~ResultList() = default;
ResultList::ResultList(ResultList&&) noexcept = default;
ResultList& ResultList::operator=(ResultList&&) noexcept = default;

char* ResultList::Allocate(std::size_t bytes) {
    if (blocks_.empty() || blockUsed_ + bytes > blockSize_) {
        const std::size_t next =
            blocks_.empty() ? FirstBlockSize : std::min(LargestBlockSize, 2 * blockSize_);
        blockSize_ = std::max(next, bytes);
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(blockSize_));
        blockUsed_ = 0;
    }
    char* at = blocks_.back().get() + blockUsed_;
    blockUsed_ += bytes;
    return at;
}

void ResultList::BeginCatalog(std::string_view diskName, std::string_view diskNumber) {
    catalogs_.push_back(
        std::make_unique<Catalog>(Catalog{std::string(diskName), std::string(diskNumber)}));
}

// An entry is its catalog's address followed by its five own texts, each
// after its length.
void ResultList::Append(std::string_view name, std::string_view directory, std::string_view size,
                        std::string_view date, std::string_view time) {
    const std::string_view texts[] = {name, directory, size, date, time};
    std::size_t bytes = sizeof(const Catalog*);
    for (std::string_view text : texts)
        bytes += LengthBytes(text.size()) + text.size();
    char* at = Allocate(bytes);
    order_.push_back(at);
    const Catalog* catalog = catalogs_.back().get();
    std::memcpy(at, &catalog, sizeof catalog);
    at += sizeof catalog;
    for (std::string_view text : texts) {
        at = PutLength(at, text.size());
        std::memcpy(at, text.data(), text.size());
        at += text.size();
    }
}

ResultEntry ResultList::Decode(const char* at) {
    const Catalog* catalog = nullptr;
    std::memcpy(&catalog, at, sizeof catalog);
    at += sizeof catalog;
    ResultEntry entry;
    entry.DiskName = catalog->DiskName;
    entry.DiskNumber = catalog->DiskNumber;
    entry.Name = TakeText(at);
    entry.Directory = TakeText(at);
    entry.Size = TakeText(at);
    entry.Date = TakeText(at);
    entry.Time = TakeText(at);
    return entry;
}

void ResultList::Splice(ResultList&& other) {
    // The spliced list's last block becomes the one new entries go into.
    if (!other.blocks_.empty()) {
        blockUsed_ = other.blockUsed_;
        blockSize_ = other.blockSize_;
    }
    for (auto& block : other.blocks_)
        blocks_.push_back(std::move(block));
    for (auto& catalog : other.catalogs_)
        catalogs_.push_back(std::move(catalog));
    order_.insert(order_.end(), other.order_.begin(), other.order_.end());
    other = ResultList();
}

ResultEntry ResultList::Entry(std::size_t index) const {
    return Decode(order_.at(index));
}

void ResultList::Sort(ResultKey key, bool ascending) {
    SetOrder(SortedOrder(key, ascending));
}

void ResultList::SetOrder(Order order) {
    order_ = std::move(order);
}

ResultList::Order ResultList::SortedOrder(ResultKey key, bool ascending) const {
    const std::size_t count = order_.size();
    if (key == ResultKey::Name || key == ResultKey::Directory || key == ResultKey::DiskName) {
        // Collation keys are made once per entry, into one buffer per core,
        // and then compared as plain bytes.
        const auto textOf = [key](const ResultEntry& entry) {
            return key == ResultKey::Name        ? entry.Name
                   : key == ResultKey::Directory ? entry.Directory
                                                 : entry.DiskName;
        };
        std::vector<std::string> buffers(Cores());
        std::vector<std::size_t> ends(count);
        const std::size_t slice =
            OnEveryCore(count, [&](std::size_t part, std::size_t first, std::size_t last) {
                const Collation collation(Collation::Strength::IgnoreCase);
                for (std::size_t i = first; i < last; ++i) {
                    collation.AppendSortKey(textOf(Decode(order_[i])), buffers[part]);
                    ends[i] = buffers[part].size();
                }
            });
        std::vector<Keyed<std::optional<std::string_view>>> keyed(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t start = i % slice == 0 ? 0 : ends[i - 1];
            keyed[i] = {std::string_view(buffers[i / slice]).substr(start, ends[i] - start),
                        order_[i]};
        }
        return SortKeyed(keyed, ascending);
    }
    if (key == ResultKey::DateTime) {
        std::vector<Keyed<std::optional<double>>> keyed(count);
        OnEveryCore(count, [&](std::size_t, std::size_t first, std::size_t last) {
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
    OnEveryCore(count, [&](std::size_t, std::size_t first, std::size_t last) {
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
