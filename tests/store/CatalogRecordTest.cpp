#include "store/CatalogRecord.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace quillory {
namespace {

using Record = std::array<std::string, RecordLineCount>;

// Feeds `text` in the pieces that the offsets `cuts` (ascending) mark off.
std::vector<Record> Parse(std::string_view text, const std::vector<std::size_t>& cuts = {}) {
    std::vector<Record> records;
    CatalogRecordParser parser([&](const CatalogRecordView& view) {
        std::copy(view.Lines.begin(), view.Lines.end(), records.emplace_back().begin());
    });
    std::size_t from = 0;
    for (const std::size_t cut : cuts) {
        parser.Feed(text.data() + from, cut - from);
        from = cut;
    }
    parser.Feed(text.data() + from, text.size() - from);
    parser.Finish();
    return records;
}

std::string Line5(const LocalDateTime& time) {
    return Parse(FormatRecord(EntryKind::File, "f", "\\", time, 0)).at(0)[4];
}

TEST(CatalogRecordTest, WritesSevenCrLfLines) {
    const LocalDateTime march7{7, 3, 2003, 9, 5, 0};
    EXPECT_EQ(FormatRecord(EntryKind::File, "readme.txt", "\\", march7, 1024),
              "F\r\nreadme.txt\r\n\\\r\n7/3/2003\r\n09:05:00\r\n1024\r\n-----\r\n");
    EXPECT_EQ(FormatRecord(EntryKind::Directory, "My Docs", "\\a\\", {31, 12, 2107, 23, 59, 58}, 0),
              "D\r\nMy Docs\r\n\\a\\\r\n31/12/2107\r\n23:59:58\r\n0\r\n-----\r\n");
    // Sizes are written in full, beyond 2 and 4 GiB too.
    EXPECT_EQ(Parse(FormatRecord(EntryKind::File, "big.iso", "\\", march7, 6000000000LL))[0][5],
              "6000000000");
    EXPECT_EQ(Parse(FormatRecord(EntryKind::File, "dvd.iso", "\\", march7, 4294967296LL))[0][5],
              "4294967296");
}

TEST(CatalogRecordTest, DatesWithoutAndTimesWithLeadingZeros) {
    EXPECT_EQ(FormatDate(5, 1, 2003), "5/1/2003");
    EXPECT_EQ(FormatDate(31, 12, 2003), "31/12/2003");
    EXPECT_EQ(FormatDate(1, 10, 1980), "1/10/1980");
    EXPECT_EQ(GetTimeDateStr(0, 7, 23), (std::array<std::string, 3>{"00", "07", "23"}));
    EXPECT_EQ(GetTimeDateStr(10, 59, 9), (std::array<std::string, 3>{"10", "59", "09"}));
    EXPECT_EQ(Line5({5, 1, 2003, 7, 4, 2}), "07:04:02");
    EXPECT_EQ(Line5({5, 1, 2003, 0, 5, 8}), "00:05:08");
    EXPECT_EQ(Line5({5, 1, 2003, 13, 30, 0}), "13:30:00");
    EXPECT_EQ(Line5({5, 1, 2003, 23, 59, 58}), "23:59:58");
    EXPECT_EQ(Line5({5, 1, 2003, 0, 0, 0}), "00:00:00");
}

TEST(CatalogRecordTest, LineBreaksInNamesKeepTheRecordSevenLines) {
    const std::string text =
        FormatRecord(EntryKind::File, "a\rb\nc\r\n", "\\x\n\\", {1, 1, 1980, 0, 0, 0}, 1) +
        FormatRecord(EntryKind::File, "next", "\\", {1, 1, 1980, 0, 0, 0}, 2);
    const auto records = Parse(text);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0][1], "a?b?c??");
    EXPECT_EQ(records[0][2], "\\x?\\");
    EXPECT_EQ(records[1][1], "next");
}

TEST(CatalogRecordTest, WalkOrderRecordsReadBack) {
    const LocalDateTime time{5, 1, 2003, 7, 4, 2};
    const std::string text = FormatRecord(EntryKind::File, "a.doc", "\\docs\\", time, 3) +
                             FormatRecord(EntryKind::Directory, "docs", "\\", time, 0) +
                             FormatRecord(EntryKind::File, "readme.txt", "\\", time, 1024);
    const std::vector<Record> expected{
        {"F", "a.doc", "\\docs\\", "5/1/2003", "07:04:02", "3", "-----"},
        {"D", "docs", "\\", "5/1/2003", "07:04:02", "0", "-----"},
        {"F", "readme.txt", "\\", "5/1/2003", "07:04:02", "1024", "-----"}};
    EXPECT_EQ(Parse(text), expected);
}

TEST(CatalogRecordTest, ParsesTheSameWhereverTheTextIsCut) {
    // CR LF and bare LF line ends, a CR inside a line, and a last record cut
    // short whose last line has no line end.
    const std::string text = "F\r\na.doc\r\n\\docs\\\r\n5/1/2003\r\n07:04:02\r\n3\r\n-----\r\n"
                             "D\ndocs\n\\\n5/1/2003\n07:04:02\n0\n-----\n"
                             "F\r\nr\re\r\n\\\n7/3/2003";
    const std::vector<Record> expected{
        {"F", "a.doc", "\\docs\\", "5/1/2003", "07:04:02", "3", "-----"},
        {"D", "docs", "\\", "5/1/2003", "07:04:02", "0", "-----"},
        {"F", "r\re", "\\", "7/3/2003", "", "", ""}};
    ASSERT_EQ(Parse(text), expected);
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < text.size(); ++i)
        everyByte.push_back(i);
    EXPECT_EQ(Parse(text, everyByte), expected);
    for (std::size_t i = 0; i <= text.size(); ++i) {
        for (std::size_t j = i; j <= text.size(); ++j)
            ASSERT_EQ(Parse(text, {i, j}), expected) << "cut at " << i << " and " << j;
    }
}

TEST(CatalogRecordTest, EndsOfText) {
    EXPECT_TRUE(Parse("").empty());
    const Record complete{"F", "n", "\\", "1/1/1980", "00:00:00", "0", "-----"};
    EXPECT_EQ(Parse("F\nn\n\\\n1/1/1980\n00:00:00\n0\n-----"), std::vector<Record>{complete});
    EXPECT_EQ(Parse("F\nn\n\\\n1/1/1980\n00:00:00\n0\n-----\r\n"), std::vector<Record>{complete});
    EXPECT_EQ(Parse("F\r\nn\r"), (std::vector<Record>{{"F", "n", "", "", "", "", ""}}));
    EXPECT_EQ(Parse("D\r\n"), (std::vector<Record>{{"D", "", "", "", "", "", ""}}));
}

TEST(CatalogRecordTest, LinesOfAnyLength) {
    std::string name(3 * 1024 * 1024 / 2, 'n');
    for (std::size_t i = 0; i < name.size(); i += 997)
        name[i] = char('a' + i % 26);
    const std::string text = FormatRecord(EntryKind::File, name, "\\", {1, 1, 1980, 0, 0, 0}, 1) +
                             FormatRecord(EntryKind::File, "short", "\\", {1, 1, 1980, 0, 0, 0}, 2);
    std::vector<std::size_t> cuts;
    for (std::size_t at = 4096; at < text.size(); at += 4096)
        cuts.push_back(at);
    const auto records = Parse(text, cuts);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0][1].size(), name.size());
    EXPECT_TRUE(records[0][1] == name);
    EXPECT_EQ(records[0][5], "1");
    EXPECT_EQ(records[1][1], "short");
}

} // namespace
} // namespace quillory
