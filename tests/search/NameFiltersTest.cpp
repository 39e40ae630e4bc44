#include "search/ExtensionList.h"
#include "search/GlobPattern.h"
#include "search/SizeRange.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillory {
namespace {

using Texts = std::vector<std::string>;

// A filter written as the user would, the texts it must keep and those it must drop.
struct Case {
    std::string filter;
    Texts kept;
    Texts dropped;
};

template <typename Keeps> void ExpectSplit(const Case& c, Keeps keeps) {
    for (const std::string& text : c.kept)
        EXPECT_TRUE(keeps(text)) << "'" << c.filter << "' drops '" << text << "'";
    for (const std::string& text : c.dropped)
        EXPECT_FALSE(keeps(text)) << "'" << c.filter << "' keeps '" << text << "'";
}

TEST(NameFiltersTest, GlobMatchesWholeNamesByCharacter) {
    const Case cases[] = {
        {"*.iso", {"Disk.ISO", ".iso"}, {"disk.iso.bak", "iso"}},
        {"a*b*c", {"abc", "aXbYbZc", "ABBC"}, {"abcd", "ac"}},
        {"*", {"", "\xFF\xC3"}, {}},
        {"a*z", {"a\xFF\xC3z"}, {"a\xFFz!"}},
        {"d?sk", {"DISK", "d\xC3\xA9sk", "d\xE9sk"}, {"dsk", "d\xC3\xA9\xC3\xA9sk"}},
        {"?",
         {"\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xE9", "\x80"},
         {"", "\xC0\xAF", "\xED\xA0\x80", "\xE0\x80\x80", "\xF4\x90\x80\x80"}},
        {"??", {"\xC3\x28", "\xE2\x82"}, {"\xC3\xA9"}},
        // A star ends between characters only: a stray byte never counts as half of "é".
        {"*[!\xC3\xA9]", {"\xC3\xA9x"}, {"\xC3\xA9"}},
        {"\xC3*", {"\xC3x"}, {"\xC3\xA9"}},
        {"[a-c]x", {"ax", "Bx"}, {"dx", "x"}},
        {"[!a-c]", {"d", "\xC3\xA9"}, {"a", "B", ""}},
        {"[^A-C]", {"d"}, {"b"}},
        {"[]a]", {"]", "A"}, {"b"}},
        {"[!]]", {"a"}, {"]"}},
        {"[-a]", {"-", "a"}, {"b"}},
        {"[a-]", {"-", "a"}, {"b"}},
        {"[\xC3\xA0-\xC3\xBF]", {"\xC3\xA9"}, {"\xE9", "a"}},
        {"[\xE9]", {"\xE9"}, {"\xC3\xA9"}},
        {"[z-a]", {}, {"m", "a"}},
        {"[\\]x]", {"]", "x"}, {"\\"}},
        {"\\*\\?", {"*?"}, {"ab", "*x"}},
        {"\\[a]", {"[a]"}, {"a"}},
        {"a\\", {"a\\"}, {"a"}},
        {"[abc", {"[ABC"}, {"a"}},
        {"x[!]", {"x[!]"}, {"xa"}},
    };
    for (const Case& c : cases)
        ExpectSplit(c,
                    [&c](const std::string& name) { return GlobPattern(c.filter).Matches(name); });

    const std::string many(10000, 'a');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(GlobPattern("*a*a*a*a*b").Matches(many));
    EXPECT_TRUE(GlobPattern("*a*a*a*a*a").Matches(many));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    EXPECT_EQ(GlobPattern("Disk*2?[0-9]x\\*y[abc").Literals(), (Texts{"Disk", "2", "x*y[abc"}));
    EXPECT_EQ(GlobPattern("*?[a]**").Literals(), Texts{});
}

TEST(NameFiltersTest, ExtensionListFollowsTheLastDot) {
    const auto list = ExtensionList::Parse("iso,.IMG,tx");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->Items(), (Texts{"ISO", "IMG", "TX"}));
    ExpectSplit({"iso,.IMG,tx",
                 {"disk.iso", "DISK.Img", "a.tar.iso", ".iso", "a.tx"},
                 {"iso", "file.", "a.iso.gz", "a.isox", "a.txt", ""}},
                [&list](const std::string& name) { return list->Matches(name); });
    for (const char* wrong : {"", ",", "iso,,img", "iso,", ",iso", ".", "tar.gz", "..iso"})
        EXPECT_FALSE(ExtensionList::Parse(wrong)) << wrong;
}

TEST(NameFiltersTest, SizeRangeKeepsItsBounds) {
    const Case cases[] = {
        {">100", {"101"}, {"99", "100"}},
        {">=100", {"100", "101"}, {"99"}},
        {"<100", {"99", "0"}, {"100"}},
        {"<=100", {"99", "100"}, {"101"}},
        {"=100", {"100", "0100"}, {"99", "101"}},
        {"10..20", {"10", "20"}, {"9", "21"}},
        {"5..5", {"5"}, {"4", "6"}},
        {"<0", {}, {"0"}},
        {">=0",
         {"0", "18446744073709551615"},
         {"18446744073709551616", "abc", "", "12 ", " 12", "+1", "-1"}},
        {">18446744073709551615", {}, {"18446744073709551615"}},
        {"1k..1K", {"1024"}, {"1023", "1025"}},
        {"2m..2M", {"2097152"}, {"2097151", "2097153"}},
        {"1g..1G", {"1073741824"}, {"1073741823"}},
        {"1t..1T", {"1099511627776"}, {"1099511627775"}},
        {"=16777215T", {"18446742974197923840"}, {}},
    };
    for (const Case& c : cases) {
        const auto range = SizeRange::Parse(c.filter);
        ASSERT_TRUE(range) << c.filter;
        ExpectSplit(c, [&range](const std::string& size) { return range->ContainsText(size); });
    }
    for (const char* wrong :
         {"", ">", ">>1", "1..", "..2", "5..3", "1x", "-1", ">-1", "1.5k", "100", "> 1", ">1 ",
          ">1kk", ">k", "=+1", "1...2", ">99999999999999999999", ">16777216T"})
        EXPECT_FALSE(SizeRange::Parse(wrong)) << wrong;
}

} // namespace
} // namespace quillory
