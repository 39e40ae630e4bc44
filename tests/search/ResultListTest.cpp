#include "search/ResultList.h"

#include "common/Collation.h"
#include "common/SortState.h"
#include "search/ListViewData.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <thread>
#include <unicode/uloc.h>
#include <vector>

namespace quillory {
namespace {

struct Item {
    std::string Name;
    std::string Size = "0";
    std::string Date = "1/1/2003";
    std::string Time = "00:00:00";
    std::string Disk = "Disk";
    std::string Number = "1";
};

// One catalog per item, so the disk columns can differ too.
ResultList ListOf(const std::vector<Item>& items) {
    ResultList list;
    for (const Item& item : items) {
        list.BeginCatalog(item.Disk, item.Number);
        list.Append(item.Name, "\\", item.Size, item.Date, item.Time, "F");
    }
    return list;
}

// One field of every entry, in list order.
template <typename Field> std::vector<std::string> Column(const ResultList& list, Field field) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < list.Size(); ++i)
        texts.emplace_back(list.Entry(i).*field);
    return texts;
}

using Texts = std::vector<std::string>;

class ResultListTest : public ::testing::Test {
protected:
    void SetUp() override {
        UErrorCode status = U_ZERO_ERROR;
        uloc_setDefault("en_US", &status);
    }
};

TEST_F(ResultListTest, CellsHoldTheTextsAndTheAlignedDateTime) {
    ResultList list;
    list.BeginCatalog("Backup", "007");
    list.Append("readme.txt", "\\docs\\", "1024", "5/3/2003", "10:04:00", "F");
    list.Append("b", "\\", "1", "15/3/2003", "10:04:00", "F");
    list.BeginCatalog("Other!x", "2");
    list.Append("c", "\\", "1", "15/12/2003", "10:04:00", "F");
    list.Append("d", "\\", "", "", "", "F");
    list.Append("e", "\\", "1", "2003", "10:04:00", "F");

    const ResultListRows rows(list);
    EXPECT_EQ(rows.Row(0), (ResultRow{"readme.txt", "\\docs\\", "Backup", "007", "1024",
                                      "5/3/2003       10:04:00"}));
    EXPECT_EQ(rows.Row(0)[5].size(), 23u);
    EXPECT_EQ(rows.Row(1)[5], "15/3/2003     10:04:00");
    EXPECT_EQ(rows.Row(1)[5].size(), 22u);
    EXPECT_EQ(rows.Row(2)[5], "15/12/2003    10:04:00");
    EXPECT_EQ(rows.Row(2)[2], "Other!x");
    EXPECT_EQ(rows.Row(3)[5], "    ");
    EXPECT_EQ(rows.Row(4)[5], "2003    10:04:00");
    EXPECT_EQ(rows.Row(5), ResultRow{});
    // A row read over another keeps nothing of it, the row past the end included.
    ResultRow reused;
    for (std::size_t i = 0; i <= 5; ++i) {
        rows.ReadRow(i, reused);
        EXPECT_EQ(reused, rows.Row(i)) << i;
    }
}

TEST_F(ResultListTest, NumbersSortByValueAndInvalidOnesLast) {
    ResultList list = ListOf({{"a", "100"},
                              {"b", "9"},
                              {"c", "x"},
                              {"d", "10"},
                              {"e", "6000000000"},
                              {"f", ""},
                              {"g", "4294967297"}});
    // Invalid texts compare equal to each other, so their order is free.
    const auto expectOrder = [&list](const Texts& valid) {
        const Texts sizes = Column(list, &ResultEntry::Size);
        EXPECT_EQ(Texts(sizes.begin(), sizes.begin() + 5), valid);
        const Texts invalid(sizes.begin() + 5, sizes.end());
        EXPECT_TRUE(invalid == (Texts{"x", ""}) || invalid == (Texts{"", "x"}));
    };
    list.Sort(ResultKey::Size, true);
    expectOrder({"9", "10", "100", "4294967297", "6000000000"});
    list.Sort(ResultKey::Size, false);
    expectOrder({"6000000000", "4294967297", "100", "10", "9"});

    ResultList disks = ListOf({{"a", "0", "", "", "D", "12"},
                               {"b", "0", "", "", "D", "x"},
                               {"c", "0", "", "", "D", "3"},
                               {"d", "0", "", "", "D", "007"}});
    disks.Sort(ResultKey::DiskNumber, true);
    EXPECT_EQ(Column(disks, &ResultEntry::DiskNumber), (Texts{"3", "007", "12", "x"}));
    disks.Sort(ResultKey::DiskNumber, false);
    EXPECT_EQ(Column(disks, &ResultEntry::DiskNumber), (Texts{"12", "007", "3", "x"}));
}

TEST_F(ResultListTest, DatesSortByTimeAndInvalidOnesLast) {
    ResultList list = ListOf({{"a", "0", "15/2/2004", "00:00:00"},
                              {"b", "0", "1/3/2003", "10:00:00"},
                              {"c", "0", "bad", "00:00:00"},
                              {"d", "0", "1/3/2003", "09:59:59"},
                              {"e", "0", "2/3/2003", "1:2"},
                              {"f", "0", "31/12/2003", "23:59:59"},
                              {"g", "0", "10/1/2003", "00:00:00"}});
    const auto expectOrder = [&list](const Texts& valid) {
        const Texts names = Column(list, &ResultEntry::Name);
        EXPECT_EQ(Texts(names.begin(), names.begin() + 5), valid);
        const Texts invalid(names.begin() + 5, names.end());
        EXPECT_TRUE(invalid == (Texts{"c", "e"}) || invalid == (Texts{"e", "c"}));
    };
    list.Sort(ResultKey::DateTime, true);
    expectOrder({"g", "d", "b", "f", "a"});
    list.Sort(ResultKey::DateTime, false);
    expectOrder({"a", "f", "b", "d", "g"});
}

TEST_F(ResultListTest, TextsSortIgnoringCaseByTheLocale) {
    ResultList list = ListOf({{"Beta"}, {"alpha"}, {"\xC3\xA9t\xC3\xA9"}, {"Zulu"}, {"eta"}});
    list.Sort(ResultKey::Name, true);
    EXPECT_EQ(Column(list, &ResultEntry::Name),
              (Texts{"alpha", "Beta", "eta", "\xC3\xA9t\xC3\xA9", "Zulu"}));
    list.Sort(ResultKey::Name, false);
    EXPECT_EQ(Column(list, &ResultEntry::Name),
              (Texts{"Zulu", "\xC3\xA9t\xC3\xA9", "eta", "Beta", "alpha"}));

    ResultList disks = ListOf({{"1", "0", "", "", "Beta"}, {"2", "0", "", "", "alpha"}});
    disks.Sort(ResultKey::DiskName, true);
    EXPECT_EQ(Column(disks, &ResultEntry::DiskName), (Texts{"alpha", "Beta"}));
}

TEST_F(ResultListTest, TextsThatBeginAlikeSortByTheirWholeKeys) {
    // Names sharing beginnings of every length around eight key bytes, one
    // the beginning of another, equal ones and an empty one: the order is
    // that of their whole collation keys, either way round, in lists small
    // enough to sort on one core and large enough to be cut between cores.
    std::mt19937 random(3);
    const Collation collation(Collation::Strength::IgnoreCase);
    for (const auto& [count, ascending] : {std::pair{400, true}, std::pair{400, false},
                                           std::pair{30000, true}, std::pair{30000, false}}) {
        ResultList list;
        list.BeginCatalog("Disk", "1");
        list.Append("", "\\", "0", "1/1/2003", "00:00:00", "F");
        for (int i = 0; i < count; ++i) {
            std::string name = std::string("IMG_0000000000000000").substr(0, random() % 21);
            for (std::size_t n = random() % 4; n > 0; --n)
                name += "0aB_"[random() % 4];
            list.Append(name, "\\", "0", "1/1/2003", "00:00:00", "F");
        }
        list.Sort(ResultKey::Name, ascending);
        Texts keys;
        for (const std::string& name : Column(list, &ResultEntry::Name))
            keys.push_back(collation.SortKey(name));
        Texts expected = keys;
        std::sort(expected.begin(), expected.end());
        if (!ascending)
            std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(keys, expected) << count << " " << ascending;
    }
}

TEST_F(ResultListTest, HeaderClicksFollowTheClickRule) {
    const int size = static_cast<int>(ResultKey::Size);
    const int name = static_cast<int>(ResultKey::Name);
    int state = name; // as a new list is sorted
    for (const bool ascending : {true, false, true}) {
        const SortOrder order = HeaderClick(state, size);
        EXPECT_EQ(order.Key, size);
        EXPECT_EQ(order.Ascending, ascending);
        EXPECT_EQ(state, ascending ? size : -size);
    }
    HeaderClick(state, size);
    EXPECT_TRUE(HeaderClick(state, name).Ascending);
    EXPECT_EQ(state, name);
    EXPECT_FALSE(HeaderClick(state, name).Ascending);
    EXPECT_FALSE(CurrentOrder(state).Ascending);
}

// A directory of some length: mostly short, now and then one filling a page
// or more, and a few longer than a megabyte, as a damaged catalog may hold.
std::string DirectoryOf(std::size_t i) {
    const std::size_t length = i % 5000 == 7 ? 4000 + i / 5000 % 4 * 400000 : i % 300;
    return "\\" + std::string(length, 'd') + "\\";
}

TEST_F(ResultListTest, LargeSplicedListsSortAndReadBack) {
    // Parts as the searching threads make them, at once and from shared
    // pages, several catalogs each, with texts long enough to need more than
    // one length byte now and then. The list keeps the pages when the parts
    // and the search are done with them.
    constexpr std::size_t Count = 200000;
    constexpr std::size_t Parts = 4;
    auto pages = std::make_shared<ResultPages>();
    std::vector<ResultList> pieces;
    for (std::size_t part = 0; part < Parts; ++part)
        pieces.emplace_back(pages);
    std::vector<std::thread> threads;
    for (std::size_t part = 0; part < Parts; ++part) {
        threads.emplace_back([&pieces, part] {
            for (std::size_t i = part; i < Count; i += Parts) {
                if (i % 1000 < Parts)
                    pieces[part].BeginCatalog("Disk" + std::to_string(i / 1000),
                                              std::to_string(i / 1000));
                pieces[part].Append("n" + std::to_string(Count - i), DirectoryOf(i),
                                    std::to_string(i), "1/1/2003", "00:00:00", "F");
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    pages.reset();
    ResultList list;
    for (ResultList& piece : pieces) {
        list.Splice(std::move(piece));
        EXPECT_EQ(piece.Size(), 0u);
    }
    pieces.clear();
    ASSERT_EQ(list.Size(), Count);

    list.Sort(ResultKey::Size, true);
    for (std::size_t i = 0; i < Count; ++i) {
        const ResultEntry entry = list.Entry(i);
        ASSERT_EQ(entry.Size, std::to_string(i));
        ASSERT_EQ(entry.Name, "n" + std::to_string(Count - i));
        ASSERT_EQ(entry.Directory, DirectoryOf(i));
        ASSERT_EQ(entry.DiskName, "Disk" + std::to_string(i / 1000));
        ASSERT_EQ(entry.DiskNumber, std::to_string(i / 1000));
    }

    list.Sort(ResultKey::Name, false);
    // Descending by name: "n99999" comes before "n200000" and after nothing.
    EXPECT_EQ(list.Entry(0).Name, "n99999");
    for (std::size_t i = 1; i < Count; i += 997)
        EXPECT_GE(list.Entry(i - 1).Name.compare(list.Entry(i).Name), 0) << i;

    // Appending after a splice goes on from the spliced blocks.
    list.BeginCatalog("Last", "9");
    list.Append("zzz", "\\", "5", "1/1/2003", "00:00:00", "F");
    EXPECT_EQ(list.Entry(Count).Name, "zzz");
    EXPECT_EQ(list.Entry(Count).DiskName, "Last");
    EXPECT_EQ(list.Entry(Count - 1).Name, "n1");
}

} // namespace
} // namespace quillory
