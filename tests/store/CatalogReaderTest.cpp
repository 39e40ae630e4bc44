#include "store/CatalogReader.h"

#include "store/BZip2.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::ErrorText;
using test::WriteFile;
using Record = std::array<std::string, RecordLineCount>;

RecordConsumer CollectInto(std::vector<Record>& records) {
    return [&records](const CatalogRecordView& view) {
        std::copy(view.Lines.begin(), view.Lines.end(), records.emplace_back().begin());
    };
}

class CatalogReaderTest : public ::testing::Test {
protected:
    CatalogReaderTest() {
        // Names that compress poorly, so a cut compressed catalog still holds
        // whole blocks, and enough records to fill several read buffers.
        std::uint32_t seed = 7;
        for (int i = 0; i < 8000; ++i) {
            seed = seed * 1664525u + 1013904223u;
            text += FormatRecord(EntryKind::File, "f" + std::to_string(seed) + ".doc",
                                 "\\d" + std::to_string(i / 100) + "\\",
                                 {1 + i % 28, 1 + i % 12, 2003, i % 24, i % 60, i % 30 * 2}, seed);
        }
        CatalogRecordParser parser(CollectInto(expected));
        parser.Feed(text.data(), text.size());
        parser.Finish();
    }

    // Writes `bytes` as a catalog, compressed when asked; returns its path.
    std::string Catalog(std::string_view bytes, bool compressed) {
        const std::string plain = dir.File("Disk!1.txt");
        WriteFile(plain, bytes);
        if (!compressed)
            return plain;
        Compress(plain, plain + ".bz2", true);
        fs::remove(plain);
        return plain + ".bz2";
    }

    // Reads the catalog into `records`; returns the error text.
    std::string Read(const std::string& path, bool compressed) {
        records.clear();
        return ErrorText([&] { ReadCatalog(path, compressed, CollectInto(records)); });
    }

    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir dir;
    std::string text;
    std::vector<Record> expected;
    std::vector<Record> records;
};

TEST_F(CatalogReaderTest, PlainAndCompressedGiveTheSameRecords) {
    ASSERT_EQ(expected.size(), 8000u);
    for (const bool compressed : {false, true}) {
        EXPECT_EQ(Read(Catalog(text, compressed), compressed), "");
        EXPECT_EQ(records.size(), expected.size());
        EXPECT_TRUE(records == expected) << compressed;
    }
}

TEST_F(CatalogReaderTest, CompressedCatalogIsReadWithoutAScratchFile) {
    const std::string path = Catalog(text, true);
    const auto before = Listing();
    EXPECT_EQ(Read(path, true), "");
    EXPECT_EQ(Listing(), before);

    // Read-only media; root may still write, so what counts is that nothing appears.
    fs::permissions(dir.Path(), fs::perms(0555));
    EXPECT_EQ(Read(path, true), "");
    EXPECT_EQ(records.size(), expected.size());
    EXPECT_EQ(Listing(), before);
}

TEST_F(CatalogReaderTest, CutCompressedCatalogHandsOverTheRecordsBeforeTheCut) {
    std::string packed = test::ReadFile(Catalog(text, true));
    packed.resize(packed.size() / 2);
    WriteFile(dir.File("cut.txt.bz2"), packed);
    EXPECT_EQ(Read(dir.File("cut.txt.bz2"), true), "BZ_UNEXPECTED_EOF");
    ASSERT_GT(records.size(), 1000u);
    ASSERT_LT(records.size(), expected.size());
    EXPECT_TRUE(std::equal(records.begin(), records.end(), expected.begin()));
}

TEST_F(CatalogReaderTest, CatalogOfManyStreamsGivesEveryRecord) {
    // Records run across the ends of pbzip2's streams, one per 100 000 bytes.
    ASSERT_GT(text.size(), 300000u);
    const std::string packed = test::ReadFile(Catalog(text, true));
    WriteFile(dir.File("joined.txt.bz2"), packed + packed);
    EXPECT_EQ(Read(dir.File("joined.txt.bz2"), true), "");
    ASSERT_EQ(records.size(), 2 * expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), records.begin()));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), records.begin() + expected.size()));

    if (std::system("command -v pbzip2 > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "pbzip2 is not on PATH (Debian package pbzip2): its catalogs were not read";
    WriteFile(dir.File("plain"), text);
    const std::string made = dir.File("made.txt.bz2"), cut = dir.File("cut.txt.bz2");
    ASSERT_EQ(
        std::system(("pbzip2 -1 -b1 -c '" + dir.File("plain") + "' > '" + made + "'").c_str()), 0);
    EXPECT_EQ(Read(made, true), "");
    EXPECT_EQ(records.size(), expected.size());
    EXPECT_TRUE(records == expected);

    // Cut inside a later stream: the earlier streams' records are handed over.
    const std::string bytes = test::ReadFile(made);
    WriteFile(cut, bytes.substr(0, bytes.size() * 3 / 4));
    EXPECT_EQ(Read(cut, true), "BZ_UNEXPECTED_EOF");
    ASSERT_GT(records.size(), expected.size() / 2);
    ASSERT_LT(records.size(), expected.size());
    EXPECT_TRUE(std::equal(records.begin(), records.end(), expected.begin()));
}

TEST_F(CatalogReaderTest, EmptyAndShortenedCatalogs) {
    for (const bool compressed : {false, true}) {
        SCOPED_TRACE(compressed);
        EXPECT_EQ(Read(Catalog("", compressed), compressed), "");
        EXPECT_TRUE(records.empty());

        // The last record ends after its date line, which has no line end.
        EXPECT_EQ(Read(Catalog(text + "F\r\nlast\r\n\\\r\n1/1/2004", compressed), compressed), "");
        ASSERT_EQ(records.size(), expected.size() + 1);
        EXPECT_EQ(records.back(), (Record{"F", "last", "\\", "1/1/2004", "", "", ""}));
    }
}

TEST_F(CatalogReaderTest, MissingCatalogIsNamed) {
    const std::string missing = dir.File("Gone!3.txt");
    EXPECT_EQ(Read(missing, false), "Cannot open file " + missing);
    EXPECT_EQ(Read(missing + ".bz2", true), "Cannot open file " + missing + ".bz2");
}

} // namespace
} // namespace quillory
