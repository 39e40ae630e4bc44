#include "common/Collation.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <unicode/uloc.h>
#include <vector>

namespace quillory {
namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

class CollationTest : public ::testing::Test {
protected:
    // The order people expect comes from the locale; the C locale would give
    // the code-point order.
    void SetUp() override {
        UErrorCode status = U_ZERO_ERROR;
        uloc_setDefault("en_US", &status);
        ASSERT_TRUE(U_SUCCESS(status));
    }
};

TEST_F(CollationTest, CaseDecidesOnlyWhenTheLettersAgree) {
    const Collation sensitive(Collation::Strength::CaseSensitive);
    const Collation ignoring(Collation::Strength::IgnoreCase);
    for (const Collation* collation : {&sensitive, &ignoring}) {
        EXPECT_LT(collation->Compare("alpha", "Beta"), 0);
        EXPECT_GT(collation->Compare("Beta", "alpha"), 0);
        EXPECT_LT(collation->Compare("Beta", "gamma"), 0);
        // Accents still count when case is ignored.
        EXPECT_NE(collation->Compare("resume", "r\u00e9sum\u00e9"), 0);
    }
    EXPECT_NE(sensitive.Compare("beta", "Beta"), 0);
    EXPECT_EQ(Sign(sensitive.Compare("beta", "Beta")), -Sign(sensitive.Compare("Beta", "beta")));
    EXPECT_EQ(ignoring.Compare("beta", "Beta"), 0);
    EXPECT_EQ(ignoring.Compare("\u00c9T\u00c9", "\u00e9t\u00e9"), 0);
    EXPECT_EQ(sensitive.Compare("same", "same"), 0);
}

TEST(CollationLocaleTest, TheCollationCategoryDecidesTheOrder) {
    // Sets the variables for the length of one case, as a user's shell would.
    struct Environment {
        Environment(const char* all, const char* collate, const char* lang) {
            Set("LC_ALL", all);
            Set("LC_COLLATE", collate);
            Set("LANG", lang);
        }
        ~Environment() {
            for (const auto& [name, value] : saved)
                value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
        }
        void Set(const char* name, const char* value) {
            const char* old = std::getenv(name);
            saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            value ? ::setenv(name, value, 1) : ::unsetenv(name);
        }
        std::vector<std::pair<std::string, std::optional<std::string>>> saved;
    };
    struct Case {
        const char* All;
        const char* Collate;
        const char* Lang;
        bool ZebraFirst; // Swedish puts "Ä" after "Z", German beside "A"
    };
    const Case cases[] = {{nullptr, "sv_SE.UTF-8", "en_US.UTF-8", true},
                          {nullptr, "de_DE.UTF-8", "sv_SE.UTF-8", false},
                          {"sv_SE.UTF-8", "de_DE.UTF-8", "de_DE.UTF-8", true},
                          {nullptr, nullptr, "sv_SE.UTF-8", true},
                          {"", "", "de_DE.UTF-8@euro", false}};
    for (const Case& c : cases) {
        const Environment environment(c.All, c.Collate, c.Lang);
        for (const auto strength :
             {Collation::Strength::CaseSensitive, Collation::Strength::IgnoreCase})
            EXPECT_EQ(Collation(strength).Compare("Zebra", "\u00c4pfel") < 0, c.ZebraFirst)
                << (c.All ? c.All : "-") << " " << (c.Collate ? c.Collate : "-") << " " << c.Lang;
    }
}

TEST_F(CollationTest, SortKeysOrderAsCompareDoes) {
    std::string expanding; // each character expands to many collation elements
    for (int i = 0; i < 40; ++i)
        expanding += "\ufdfa";
    // Accented, non-Latin and invalid UTF-8 texts, separated by "|".
    std::vector<std::string> words;
    std::istringstream list(
        "|a|A|ab|alpha|Beta|beta|caf\u00e9|cafe|Caf\u00c9|\u00e9t\u00e9|\u00c9T\u00c9|"
        "Stra\u00dfe|strasse|\u65e5\u672c|disk 10|disk 9|\xff\xfe|caf\xc3|\xc3(|a\x80z");
    for (std::string word; std::getline(list, word, '|');)
        words.push_back(word);
    words.insert(words.end(), {expanding, expanding + "a", expanding + "b"});
    for (const auto strength :
         {Collation::Strength::CaseSensitive, Collation::Strength::IgnoreCase}) {
        const Collation collation(strength);
        std::vector<std::string> keys;
        for (const std::string& word : words)
            keys.push_back(collation.SortKey(word));
        for (std::size_t a = 0; a < words.size(); ++a) {
            for (std::size_t b = 0; b < words.size(); ++b) {
                EXPECT_EQ(Sign(keys[a].compare(keys[b])),
                          Sign(collation.Compare(words[a], words[b])))
                    << "\"" << words[a] << "\" against \"" << words[b] << "\"";
            }
        }
    }
    const Collation sensitive(Collation::Strength::CaseSensitive);
    EXPECT_LT(sensitive.Compare(expanding + "a", expanding + "b"), 0);

    // Keys appended to one buffer are the keys one after the other.
    std::string buffer = "head";
    sensitive.AppendSortKey(expanding + "a", buffer);
    sensitive.AppendSortKey("\xff\xfe", buffer);
    EXPECT_EQ(buffer, "head" + sensitive.SortKey(expanding + "a") + sensitive.SortKey("\xff\xfe"));
}

} // namespace
} // namespace quillory
