#include "search/CandidateFilter.h"

#include "search/BytePlaces.h"
#include "store/CatalogRecord.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace quillory {
namespace {

using Records = std::vector<std::string>;

// Every record's seven lines joined, as the consumer saw them.
RecordConsumer CollectInto(Records& records) {
    return [&records](const CatalogRecordView& record) {
        std::string joined;
        for (std::string_view line : record.Lines)
            joined.append(line).append("|");
        records.push_back(joined);
    };
}

// The records that read-everything hands over whose name or directory holds
// `pattern` (ASCII letters folded), as the search's full test would keep them.
Records Expected(const std::string& text, const std::string& pattern, bool inName,
                 bool inDirectory) {
    Records all;
    CatalogRecordParser parser([&](const CatalogRecordView& record) {
        const auto holds = [&](std::string_view line) {
            std::string upper(line);
            for (char& c : upper)
                c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
            return upper.find(pattern) != std::string::npos;
        };
        if ((inName && holds(record.Name())) || (inDirectory && holds(record.Directory()))) {
            std::string joined;
            for (std::string_view line : record.Lines)
                joined.append(line).append("|");
            all.push_back(joined);
        }
    });
    parser.Feed(text.data(), text.size());
    parser.Finish();
    return all;
}

// Only the records the filter hands over that pass the same test count.
Records Filtered(const std::string& text, const std::string& pattern, bool inName, bool inDirectory,
                 std::mt19937& random, const BytePlaces& places) {
    Records handed;
    CandidateFilter filter(pattern, inName, inDirectory, CollectInto(handed), places);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t piece = std::min<std::size_t>(text.size() - at, 1 + random() % 97);
        filter.Feed(text.data() + at, piece);
        at += piece;
    }
    filter.Finish();
    Records kept;
    for (const std::string& record : handed) {
        for (const std::string& expected : Expected(text, pattern, inName, inDirectory)) {
            if (expected == record) {
                kept.push_back(record);
                break;
            }
        }
    }
    return kept;
}

// Every way of looking through the bytes that this processor runs, the
// portable one included, must hand over the same records.
class CandidateFilterTest : public testing::TestWithParam<const BytePlaces*> {};

INSTANTIATE_TEST_SUITE_P(EveryImplementation, CandidateFilterTest,
                         testing::ValuesIn(UsableBytePlaces()),
                         [](const auto& info) { return std::string(info.param->Name); });

TEST_P(CandidateFilterTest, HandsOverEveryRecordThatCanMatchWhateverThePieces) {
    std::mt19937 random(7);
    const char* names[] = {"needle.txt", "NEEDLE", "hay", "ne\r", "-----", "Needles and pins", "n"};
    const char* directories[] = {"\\", "\\needle\\", "\\hay\\stack\\", "\\N\\"};
    for (int round = 0; round < 40; ++round) {
        std::string text;
        const int records = 1 + static_cast<int>(random() % 30);
        for (int r = 0; r < records; ++r)
            text += FormatRecord(random() % 2 ? EntryKind::File : EntryKind::Directory,
                                 names[random() % std::size(names)],
                                 directories[random() % std::size(directories)], {}, r);
        // Some texts end inside a record, some with bare line ends.
        if (round % 3 == 1)
            text.resize(text.size() - random() % 20);
        if (round % 5 == 2) {
            std::string bare;
            for (char c : text)
                if (c != '\r')
                    bare += c;
            text = bare;
        }
        for (const std::string pattern : {"NEEDLE", "N", "E\r", "\\N", "-----", "HAY\\S"}) {
            for (const auto& [inName, inDirectory] :
                 {std::pair{true, false}, std::pair{false, true}, std::pair{true, true}}) {
                EXPECT_EQ(Filtered(text, pattern, inName, inDirectory, random, *GetParam()),
                          Expected(text, pattern, inName, inDirectory))
                    << "round " << round << " pattern " << pattern;
            }
        }
    }
}

// Adds up the bytes that the filter hands to the implementation under test:
// looking at a carried record again with every piece would make them grow
// with the square of the record's length instead of with the text's.
struct CountingPlaces {
    static inline const BytePlaces* Inner = nullptr;
    static inline std::size_t Bytes = 0;

    static std::size_t CountLineEnds(const char* p, const char* end) {
        Bytes += static_cast<std::size_t>(end - p);
        return Inner->CountLineEnds(p, end);
    }
    static const char* FindPlace(const char* p, const char* last, const PlaceKey& key) {
        const char* found = Inner->FindPlace(p, last, key);
        Bytes += static_cast<std::size_t>(std::max(found ? found : last + 1, p) - p);
        return found;
    }
};
constexpr BytePlaces Counting{"counting", CountingPlaces::CountLineEnds, CountingPlaces::FindPlace};

TEST_P(CandidateFilterTest, LooksAtEachByteOfALongRecordAFewTimesWhateverThePieces) {
    // A quarter mebibyte of every byte value but the line end, so that neither
    // the order of a word's bytes nor their sign can fool a look. It starts
    // with 0x0B, which a careless test for zero bytes takes for a second line
    // end when it follows one.
    std::string filler;
    for (unsigned i = 0; filler.size() < (1u << 18); ++i) {
        if (const auto c = static_cast<char>(0x0B + i * 7); c != '\n')
            filler += c;
    }
    struct Case {
        std::string Name;
        std::string Directory;
        std::size_t Kept; // bytes of the long record before the text ends
    };
    const std::size_t whole = std::string::npos;
    const Case cases[] = {
        {filler + "needle", "\\", whole},
        {"NEEDLE" + filler, "\\", whole},
        {filler, "\\" + filler + "\\NeEdLe\\", whole},
        {filler, "\\", whole},
        {"needle" + filler, "\\", filler.size() / 2}, // the text ends inside the name
    };
    std::mt19937 random(11);
    CountingPlaces::Inner = GetParam();
    for (const Case& c : cases) {
        const std::string around = FormatRecord(EntryKind::File, "needle", "\\", {}, 1);
        const std::string text =
            around + FormatRecord(EntryKind::File, c.Name, c.Directory, {}, 2).substr(0, c.Kept) +
            (c.Kept == whole ? around : "");
        for (const auto& [inName, inDirectory] :
             {std::pair{true, false}, std::pair{false, true}, std::pair{true, true}}) {
            CountingPlaces::Bytes = 0;
            EXPECT_EQ(Filtered(text, "NEEDLE", inName, inDirectory, random, Counting),
                      Expected(text, "NEEDLE", inName, inDirectory));
            EXPECT_LE(CountingPlaces::Bytes, 4 * text.size());
        }
    }
}

} // namespace
} // namespace quillory
