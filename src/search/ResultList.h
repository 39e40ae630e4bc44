#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// One match: the record's name, directory, size, date, time and kind ("F" or
// "D"), and the disk name and number of its catalog, each exactly as read.
struct ResultEntry {
    std::string_view Name;
    std::string_view Directory;
    std::string_view DiskName;
    std::string_view DiskNumber;
    std::string_view Size;
    std::string_view Date;
    std::string_view Time;
    std::string_view Kind;
};

// The sort keys of the result list's columns.
enum class ResultKey {
    Name = 1,
    Directory = 2,
    DiskName = 3,
    Size = 4,
    DateTime = 5,
    DiskNumber = 7
};

// Pages for the first entries of many result lists, cut from large blocks: a
// search makes a list for every catalog, most of which hold a page or less,
// and a page of its own each would cost an aligned allocation and more memory
// faults than the entries themselves. Lists keep the pages they use; pages
// are handed out to several threads at once.
class ResultPages {
public:
    ResultPages();
    ~ResultPages();
    ResultPages(const ResultPages&) = delete;
    ResultPages& operator=(const ResultPages&) = delete;

    // A page-aligned page of PageBytes, the pages' life long.
    char* Page();

private:
    std::mutex mutex_;
    std::vector<char*> blocks_;
    std::size_t used_;
};

// The matches of one search or disk listing. Lists of millions of entries are
// common, so an entry is stored compactly: its texts packed one after another
// in large blocks, and the disk name and number once per catalog. Sorting
// reorders references to the entries; the entries themselves never move.
class ResultList {
public:
    ResultList();
    // A list whose first page comes from `pages`.
    explicit ResultList(std::shared_ptr<ResultPages> pages);
    ~ResultList();
    ResultList(ResultList&&) noexcept;
    ResultList& operator=(ResultList&&) noexcept;

    // Entries appended after this belong to the catalog of that disk.
    void BeginCatalog(std::string_view diskName, std::string_view diskNumber);
    void Append(std::string_view name, std::string_view directory, std::string_view size,
                std::string_view date, std::string_view time, std::string_view kind);
    // Moves every entry of `other` to the end of this list, in its order.
    void Splice(ResultList&& other);
    // Makes room for `count` entries in all, so splicing does not regrow the order.
    void Reserve(std::size_t count) { order_.reserve(count); }

    std::size_t Size() const { return order_.size(); }
    ResultEntry Entry(std::size_t index) const;

    // The entries' order, as references.
    using Order = std::vector<const char*>;

    // Sorts by one column. Texts are compared without regard to case by the
    // locale's rules, through sort keys made once per entry; id# and Size by
    // their integer values, Date/Time by time value. A number or date that
    // does not convert sorts after all valid ones, in either direction. The
    // sort is not stable: entries that compare equal may change places.
    void Sort(ResultKey key, bool ascending);
    // Sort in two steps, so that the list can still be read (drawn) while the
    // new order is worked out on another thread: SortedOrder only reads.
    Order SortedOrder(ResultKey key, bool ascending) const;
    void SetOrder(Order order);

private:
    struct Catalog;
    struct FreeBlock {
        bool Owned = true; // false: a page of the list's ResultPages
        void operator()(char* block) const;
    };
    char* Allocate(std::size_t bytes);
    static ResultEntry Decode(const char* packed);
    Order SortedByText(ResultKey key, bool ascending) const;

    // Entries live in page-aligned blocks; each page starts with the address
    // of the catalog its entries come from, so an entry finds its disk name
    // and number without storing them.
    std::vector<std::unique_ptr<char[], FreeBlock>> blocks_;
    std::size_t blockUsed_ = 0;
    std::size_t blockSize_ = 0;
    std::vector<std::unique_ptr<Catalog>> catalogs_;
    // The disk of the catalog begun and not yet given an entry.
    std::string nextDiskName_, nextDiskNumber_;
    bool catalogBegun_ = false;
    // Where this list's first page comes from, and the pages its blocks come
    // from, kept while it holds them.
    std::shared_ptr<ResultPages> pageSource_;
    std::vector<std::shared_ptr<ResultPages>> pages_;
    Order order_; // each entry's packed texts, in list order
};

} // namespace quillory
