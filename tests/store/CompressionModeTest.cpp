#include "store/CompressionMode.h"

#include "common/FileOperations.h"
#include "store/BZip2.h"
#include "store/CatalogName.h"
#include "support/DirectorySnapshot.h"
#include "support/TempDir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::ErrorText;
using test::ReadFile;
using test::Snapshot;
using test::WriteFile;

const std::string Marker = "Quillory v1.0\r\n";

// Catalog-like records of `size` bytes, different for every `seed`.
std::string Catalog(std::size_t size, int seed) {
    std::string text;
    for (int i = 0; text.size() < size; ++i) {
        text += "F\r\nfile" + std::to_string(i * seed) + ".doc\r\n\\disk" + std::to_string(seed) +
                "\\docs\\\r\n" + std::to_string(i % 7919) + "\r\n";
    }
    text.resize(size);
    return text;
}

class CompressionModeTest : public ::testing::Test {
protected:
    test::TempDir temp;
    std::string db = temp.File("db") + "/";
    std::string scratch = temp.File("scratch") + "/";

    void SetUp() override {
        fs::create_directory(db);
        fs::create_directory(scratch);
    }

    // The file `packed` decompressed on its own.
    std::string Unpacked(const std::string& packed) {
        Compress(packed, scratch + "unpacked", false);
        return ReadFile(scratch + "unpacked");
    }

    std::string Packed(const std::string& plain) {
        WriteFile(scratch + "plain", plain);
        Compress(scratch + "plain", scratch + "packed", true);
        return ReadFile(scratch + "packed");
    }
};

TEST_F(CompressionModeTest, RoundTripKeepsNamesAndBytesAndLeavesOtherFilesAlone) {
    WriteFile(db + "VLR_STD", Marker);
    WriteFile(db + "X!1.txt", Catalog(150'000, 1));
    WriteFile(db + "Old Disk!007.txt", "");
    WriteFile(db + "a.b!2.txt.txt", Catalog(100, 2));
    WriteFile(db + ".hidden!3.txt", "hidden plain");
    WriteFile(db + ".hidden!4.txt.bz2", "hidden, not bzip2 at all");
    WriteFile(db + "notes.doc", "notes");
    const auto original = Snapshot(db);

    CompressDirectory(db);
    const auto packed = Snapshot(db);
    EXPECT_EQ(packed.size(), original.size());
    EXPECT_EQ(packed.at("VLR_ZIP"), Marker);
    EXPECT_EQ(Unpacked(db + "X!1.txt.bz2"), original.at("X!1.txt"));
    EXPECT_EQ(Unpacked(db + "a.b!2.txt.txt.bz2"), original.at("a.b!2.txt.txt"));
    EXPECT_EQ(packed.at("Old Disk!007.txt.bz2"), ""); // empty stays empty, without a header
    for (const char* untouched : {".hidden!3.txt", ".hidden!4.txt.bz2", "notes.doc"})
        EXPECT_EQ(packed.at(untouched), original.at(untouched)) << untouched;

    DecompressDirectory(db);
    EXPECT_EQ(Snapshot(db), original);
}

TEST_F(CompressionModeTest, ManyCatalogsConvertAsOneAtATimeAndReportProgress) {
    constexpr int Count = 40;
    std::map<std::string, std::string> plain;
    for (int i = 0; i < Count; ++i) {
        const std::string name = "Disk " + std::to_string(i) + "!" + std::to_string(i) + ".txt";
        plain[name] = Catalog(i % 10 == 0 ? 0 : (i * 7919) % 230'000, i + 1);
        WriteFile(db + name, plain[name]);
    }
    WriteFile(db + "VLR_STD", Marker);

    std::vector<std::pair<std::size_t, std::size_t>> reports;
    std::mutex mutex;
    const auto record = [&](std::size_t done, std::size_t total) {
        const std::lock_guard lock(mutex);
        reports.emplace_back(done, total);
    };
    const auto expectReports = [&] {
        ASSERT_EQ(reports.size(), std::size_t{Count});
        for (std::size_t i = 0; i < reports.size(); ++i)
            EXPECT_EQ(reports[i], std::make_pair(i + 1, std::size_t{Count}));
        reports.clear();
    };

    CompressDirectory(db, record);
    expectReports();
    const auto packed = Snapshot(db);
    EXPECT_EQ(packed.size(), std::size_t{Count + 1});
    for (const auto& [name, bytes] : plain)
        EXPECT_EQ(packed.at(name + ".bz2"), Packed(bytes)) << name;

    DecompressDirectory(db, record);
    expectReports();
    const auto unpacked = Snapshot(db);
    EXPECT_EQ(unpacked.size(), std::size_t{Count + 1});
    for (const auto& [name, bytes] : plain)
        EXPECT_EQ(unpacked.at(name), bytes) << name;
}

TEST_F(CompressionModeTest, ConvertingToTheCurrentFormOnlyRewritesTheMarkers) {
    int reports = 0;
    const auto count = [&](std::size_t, std::size_t) { ++reports; };
    WriteFile(db + "VLR_STD", "stale");
    WriteFile(db + "vlr_zip", "stale");
    WriteFile(db + "A!1.txt", "plain catalog");
    DecompressDirectory(db, count);
    EXPECT_EQ(Snapshot(db), (std::map<std::string, std::string>{{"VLR_STD", Marker},
                                                                {"A!1.txt", "plain catalog"}}));

    fs::remove_all(db);
    fs::create_directory(db);
    WriteFile(db + "VLR_ZIP", "stale");
    WriteFile(db + "B!2.txt.bz2", "not even bzip2");
    CompressDirectory(db, count);
    EXPECT_EQ(Snapshot(db), (std::map<std::string, std::string>{
                                {"VLR_ZIP", Marker}, {"B!2.txt.bz2", "not even bzip2"}}));
    EXPECT_EQ(reports, 0);
}

// Every way a conversion can fail part-way leaves the directory exactly as it
// was, hidden files included, and raises the first failure.
TEST_F(CompressionModeTest, AFailedConversionLosesNothing) {
    const std::string good = Packed(Catalog(120'000, 9));
    struct Case {
        const char* Label;
        bool Compress;
        std::function<void()> Damage;
        std::string Error;
    };
    const std::vector<Case> cases = {
        {"garbage after the header", false,
         [&] { WriteFile(db + "Bad!1.txt.bz2", "BZh1 this is not a bzip2 block at all"); },
         "Bad!1.txt.bz2: BZ_DATA_ERROR"},
        {"truncated stream", false,
         [&] { WriteFile(db + "Bad!1.txt.bz2", good.substr(0, good.size() / 2)); },
         "Bad!1.txt.bz2: BZ_UNEXPECTED_EOF"},
        // The journal, then the twelve catalogs, then the marker are put in place.
        {"marker cannot be put in place", true,
         [] {
             InjectFault(InjectedFault{FileOperation::Rename, 14, EIO});
         },
         "Cannot create file " + db + "VLR_ZIP"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.Label);
        fs::remove_all(db);
        fs::create_directory(db);
        const std::string extension = test.Compress ? ".txt" : ".txt.bz2";
        for (int i = 0; i < 12; ++i) {
            WriteFile(db + "Good!" + std::to_string(i) + extension,
                      test.Compress ? Catalog(50'000 + i, i) : good);
        }
        WriteFile(db + (test.Compress ? "VLR_STD" : "VLR_ZIP"), "old marker");
        WriteFile(db + ".hidden" + extension, "hidden");
        test.Damage();
        const auto before = Snapshot(db);

        const auto convert = [&] {
            test.Compress ? CompressDirectory(db) : DecompressDirectory(db);
        };
        EXPECT_EQ(ErrorText(convert), test.Error);
        InjectFault(std::nullopt);
        EXPECT_EQ(Snapshot(db), before);
    }
}

TEST_F(CompressionModeTest, TheFirstFailingCatalogInListingOrderIsReported) {
    const std::string good = Packed(Catalog(200'000, 3));
    for (int i = 0; i < 6; ++i)
        WriteFile(db + "Good!" + std::to_string(i) + ".txt.bz2", good);
    WriteFile(db + "Garbage!1.txt.bz2", "BZh1 nonsense");
    WriteFile(db + "Truncated!1.txt.bz2", good.substr(0, good.size() - 100));
    std::string expected;
    for (const std::string& name : ListCatalogFiles(db, true)) {
        if (name.starts_with("Garbage") || name.starts_with("Truncated")) {
            expected =
                name + (name.starts_with("Garbage") ? ": BZ_DATA_ERROR" : ": BZ_UNEXPECTED_EOF");
            break;
        }
    }
    EXPECT_EQ(ErrorText([&] { DecompressDirectory(db); }), expected);
}

} // namespace
} // namespace quillory
