#include "store/CatalogReader.h"

#include "store/BZip2.h"
#include "support/TempDir.h"

#include <algorithm>
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
