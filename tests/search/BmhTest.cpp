#include "search/Bmh.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace quillory {
namespace {

// Searches a copy of `text` held in a buffer of exactly its size, so that the
// sanitizer build catches any read outside it.
std::size_t Search(std::string_view pattern, std::string_view text) {
    BmhTable table;
    table.BmhPrepare(pattern);
    const std::vector<char> exact(text.begin(), text.end());
    return table.BmhSearch(exact.data(), exact.size());
}

std::size_t Expected(std::string_view pattern, std::string_view text) {
    const std::size_t at = text.find(pattern);
    return at == std::string_view::npos ? BmhTable::NotFound : at;
}

// A text of `length` bytes over a small alphabet, so that near matches abound.
std::string RandomText(std::mt19937& random, std::size_t length) {
    static constexpr char Alphabet[] = {'a', 'b', 'c', '\xE9'};
    std::string text(length, ' ');
    for (char& c : text)
        c = Alphabet[random() % sizeof Alphabet];
    return text;
}

TEST(BmhTest, AgreesWithFindOnRandomShortTexts) {
    std::mt19937 random(20030305);
    for (int round = 0; round < 40000; ++round) {
        const std::string pattern = RandomText(random, 1 + random() % 6);
        const std::string text = RandomText(random, random() % 40);
        ASSERT_EQ(Search(pattern, text), Expected(pattern, text))
            << "pattern '" << pattern << "' text '" << text << "'";
    }
}

TEST(BmhTest, AgreesWithFindAroundTheSentinelLimit) {
    std::mt19937 random(1858);
    // Lengths where text and pattern together just fit the sentinel scheme,
    // just exceed it, and far exceed it.
    for (const std::size_t length : {32760u, 32761u, 32762u, 32766u, 32767u, 32768u, 70000u}) {
        for (int round = 0; round < 30; ++round) {
            const std::string pattern = RandomText(random, 1 + random() % 7);
            std::string text = RandomText(random, length);
            if (round % 3 == 1) // a late match
                text.replace(length - pattern.size() - round % 5, pattern.size(), pattern);
            ASSERT_EQ(Search(pattern, text), Expected(pattern, text))
                << "length " << length << " pattern '" << pattern << "'";
        }
    }
}

TEST(BmhTest, HandlesEdgesRepeatsAndHighBytes) {
    std::string text(40000, 'a');
    text.back() = 'b';
    EXPECT_EQ(Search("aab", text), 39997u);
    EXPECT_EQ(Search(text, text), 0u);
    EXPECT_EQ(Search(text + "a", text), BmhTable::NotFound);
    EXPECT_EQ(Search("a", ""), BmhTable::NotFound);
    EXPECT_EQ(Search("abc", "ab"), BmhTable::NotFound);
    EXPECT_EQ(Search("aa", "abaab"), 2u);
    EXPECT_EQ(Search("abab", "abaabab"), 3u);
    EXPECT_EQ(Search("\xC3\xA9", "caf\xC3\xA9"), 3u);
    EXPECT_EQ(Search("\xFF\xFF", "\xFF\x7F\xFF"), BmhTable::NotFound);
}

} // namespace
} // namespace quillory
