#include "scan/ScanCD.h"

#include "common/FormatMessage.h"
#include "common/Messages.h"
#include "scan/CatalogWriter.h"
#include "scan/Walk.h"
#include "store/BZip2.h"
#include "support/CatalogRecords.h"
#include "support/FailingOutput.h"
#include "support/ScratchMount.h"
#include "support/TempDir.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::ErrorText;
using test::ReadFile;
using test::Record;
using test::WriteFile;

using Names = std::vector<std::string>;

class ScanCDTest : public ::testing::Test {
protected:
    test::TempDir temp;
    std::string db = temp.File("db/");
    std::string disk = temp.File("disk/");
    OpenDatabase database;
    std::string inputDir;
    MountedVolumes volumes; // none: every location lies below "/"

    void SetUp() override {
        fs::create_directory(db);
        fs::create_directory(disk);
        database.Path = db;
        inputDir = disk;
    }

    // Every name in `directory`, hidden ones included, sorted.
    static Names Entries(const std::string& directory) {
        Names names;
        for (const auto& entry : fs::directory_iterator(directory))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::map<std::string, Record> ByName(const std::vector<Record>& records) {
        std::map<std::string, Record> named;
        for (const Record& record : records)
            named[record[1]] = record;
        return named;
    }
};

TEST_F(ScanCDTest, PlainScanReplacesTheCatalogWithOneTxt) {
    fs::create_directory(disk + "docs");
    WriteFile(disk + "docs/a.doc", "");
    WriteFile(disk + "readme.txt", "hello");
    WriteFile(db + "Disk!7.txt", "old catalog\r\n");

    const ScanResult result = ScanCD(database, inputDir, {"Disk", "7"}, volumes);
    EXPECT_EQ(result.Outcome, ScanOutcome::Written);
    EXPECT_EQ(result.CatalogFile, "Disk!7.txt");
    EXPECT_EQ(Entries(db), Names{"Disk!7.txt"});

    const std::vector<Record> records = test::ReadRecords(db + "Disk!7.txt");
    ASSERT_EQ(records.size(), 3u);
    const std::string top = TopDirectoryText(disk, volumes);
    auto named = ByName(records);
    EXPECT_EQ(named["a.doc"][0], "F");
    EXPECT_EQ(named["a.doc"][2], top + "docs\\");
    EXPECT_EQ(named["a.doc"][5], "0");
    EXPECT_EQ(named["docs"][0], "D");
    EXPECT_EQ(named["docs"][2], top);
    EXPECT_EQ(named["readme.txt"][5], "5");
    for (const Record& record : records)
        EXPECT_EQ(record[6], "-----");
}

TEST_F(ScanCDTest, CompressedScanLeavesOnlyTheTxtBz2OfThePlainCatalog) {
    fs::create_directory(disk + "docs");
    WriteFile(disk + "docs/a.doc", std::string(5000, 'a'));
    WriteFile(disk + "readme.txt", "hello");
    ASSERT_EQ(ScanCD(database, inputDir, {"Disk", "7"}, volumes).Outcome, ScanOutcome::Written);

    OpenDatabase packed = database;
    packed.Path = temp.File("packed/");
    packed.Compressed = true;
    fs::create_directory(packed.Path);
    WriteFile(packed.Path + "Disk!7.txt.bz2", "an older catalog");
    const ScanResult result = ScanCD(packed, inputDir, {"Disk", "7"}, volumes);
    EXPECT_EQ(result.Outcome, ScanOutcome::Written);
    EXPECT_EQ(result.CatalogFile, "Disk!7.txt.bz2");
    EXPECT_EQ(Entries(packed.Path), Names{"Disk!7.txt.bz2"});

    Compress(packed.Path + "Disk!7.txt.bz2", temp.File("unpacked"), false);
    EXPECT_EQ(ReadFile(temp.File("unpacked")), ReadFile(db + "Disk!7.txt"));
}

TEST_F(ScanCDTest, EmptyDirectoryGivesAnEmptyCatalog) {
    WriteFile(disk + ".hidden", "not catalogued");
    EXPECT_EQ(ScanCD(database, inputDir, {"Empty", "0"}, volumes).Outcome, ScanOutcome::Written);
    EXPECT_EQ(ReadFile(db + "Empty!0.txt"), "");

    database.Compressed = true;
    EXPECT_EQ(ScanCD(database, inputDir, {"Empty", "0"}, volumes).Outcome, ScanOutcome::Written);
    EXPECT_EQ(Entries(db), (Names{"Empty!0.txt", "Empty!0.txt.bz2"}));
    EXPECT_EQ(ReadFile(db + "Empty!0.txt.bz2"), "");
}

TEST_F(ScanCDTest, EmptyMountPointsAndMissingLocationsAreNotAvailable) {
    const std::string real = fs::canonical(disk).string();
    const MountedVolumes configured{{}, {{"/dev/sr0", real, "iso9660"}}};
    const MountedVolumes mounted{{{"/dev/sr0", real + "/", "udf"}}, {}};
    EXPECT_TRUE(IsLocationAvailable(disk, volumes));
    EXPECT_FALSE(IsLocationAvailable(disk, configured));
    WriteFile(disk + ".hidden", "");
    EXPECT_FALSE(IsLocationAvailable(disk, mounted));
    WriteFile(disk + "file", "");
    EXPECT_TRUE(IsLocationAvailable(disk, configured));
    EXPECT_TRUE(IsLocationAvailable(disk, mounted));
    EXPECT_FALSE(IsLocationAvailable(temp.File("missing/"), volumes));
    EXPECT_FALSE(IsLocationAvailable(disk + "file", volumes));

    inputDir = temp.File("missing/");
    EXPECT_EQ(ScanCD(database, inputDir, {"Disk", "1"}, volumes).Outcome,
              ScanOutcome::NotAvailable);
    inputDir = disk;
    EXPECT_EQ(ScanCD(database, inputDir, {"Disk", "1"}, configured).Outcome, ScanOutcome::Written);
    fs::remove(disk + "file");
    EXPECT_EQ(ScanCD(database, inputDir, {"Disk", "2"}, mounted).Outcome,
              ScanOutcome::NotAvailable);
    EXPECT_EQ(Entries(db), Names{"Disk!1.txt"});

    inputDir.clear();
    EXPECT_EQ(ErrorText([&] {
                  ScanCD(database, inputDir, {"Disk", "1"}, volumes);
              }),
              msg::NoInputLocation);
}

TEST_F(ScanCDTest, RealEmptyMountPointIsNotAvailable) {
    const std::string point = temp.File("cd");
    fs::create_directory(point);
    const test::ScratchMount mount(point);
    if (!mount.Mounted())
        GTEST_SKIP() << "mounting needs root";
    std::ifstream table("/proc/self/mounts");
    const MountedVolumes real{ParseMountTable(table), {}};
    EXPECT_FALSE(IsLocationAvailable(point + "/", real));
    EXPECT_EQ(TopDirectoryText(point + "/", real), "\\");
    fs::create_directories(point + "/home/u");
    EXPECT_TRUE(IsLocationAvailable(point + "/", real));
    EXPECT_EQ(TopDirectoryText(point + "/home/u/", real), "\\home\\u\\");
}

TEST_F(ScanCDTest, TopDirectoryTextIsThePathBelowTheMountPoint) {
    const std::string base = fs::canonical(temp.Path()).string();
    fs::create_directories(base + "/media/DISC/home/u/Data");
    const MountedVolumes disc{
        {{"/dev/vda", "/", "ext4"}, {"/dev/sr0", base + "/media/DISC", "udf"}}, {}};
    EXPECT_EQ(TopDirectoryText(base + "/media/DISC/", disc), "\\");
    EXPECT_EQ(TopDirectoryText(base + "/media/DISC/home/u/Data/", disc), "\\home\\u\\Data\\");
    std::string outside = base + "/media/";
    std::replace(outside.begin(), outside.end(), '/', '\\');
    EXPECT_EQ(TopDirectoryText(base + "/media/", disc), outside);
    // A symbolic link names the place it leads to.
    fs::create_directory_symlink(base + "/media/DISC/home", base + "/link");
    EXPECT_EQ(TopDirectoryText(base + "/link/u/", disc), "\\home\\u\\");
}

TEST_F(ScanCDTest, FailedRescanKeepsTheOldCatalog) {
    for (int i = 0; i < 4100; ++i)
        WriteFile(disk + "f" + std::to_string(i), "");
    WriteFile(db + "Disk!1.txt", "old catalog\r\n");
    std::uint64_t reported = 0;
    ScanResult result =
        ScanCD(database, inputDir, {"Disk", "1"}, volumes, [&](std::uint64_t entries) {
            reported = entries;
            fs::remove_all(disk);
        });
    EXPECT_EQ(reported, 4096u);
    EXPECT_EQ(result.Outcome, ScanOutcome::WriteFailed);
    EXPECT_NE(result.Failure.find(disk), std::string::npos) << result.Failure;
    EXPECT_EQ(Entries(db), Names{"Disk!1.txt"});
    EXPECT_EQ(ReadFile(db + "Disk!1.txt"), "old catalog\r\n");

    fs::create_directory(disk);
    database.Path = temp.File("gone/");
    // A database that is gone cannot be held for the scan.
    EXPECT_EQ(ErrorText([&] {
                  ScanCD(database, inputDir, {"Disk", "1"}, volumes);
              }),
              "Cannot open file " + database.Path);

    // An output that fills up part-way.
    WriteFile(disk + "a", "");
    test::FailingOutput full(10);
    CatalogWriter writer(full, "/db/x.txt");
    EXPECT_EQ(ErrorText([&] {
                  AddItems(disk, "\\", writer);
                  writer.Flush();
              }),
              "Cannot write file /db/x.txt");
}

TEST_F(ScanCDTest, BigFilesAndOddNamesKeepTheirRecordsWhole) {
    const std::int64_t big = (std::int64_t(5) << 30) + 3;
    const int fd = ::open((disk + "big.iso").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, big), 0);
    ::close(fd);
    fs::create_directory(disk + "a!b");
    for (const char* name : {"new\nline", "car\rriage", "bad\xff\xfe", "a!b/x"})
        WriteFile(disk + name, "12345");

    ASSERT_EQ(ScanCD(database, inputDir, {"Disk", "1"}, volumes).Outcome, ScanOutcome::Written);
    const std::vector<Record> records = test::ReadRecords(db + "Disk!1.txt");
    ASSERT_EQ(records.size(), 6u);
    for (const Record& record : records) {
        EXPECT_TRUE(record[0] == "F" || record[0] == "D") << record[1];
        EXPECT_EQ(record[6], "-----") << record[1];
    }
    auto named = ByName(records);
    EXPECT_EQ(named["big.iso"][5], std::to_string(big));
    EXPECT_EQ(named["new?line"][5], "5");
    EXPECT_EQ(named["car?riage"][5], "5");
    EXPECT_EQ(named["bad\xff\xfe"][5], "5");
    EXPECT_EQ(named["x"][2], TopDirectoryText(disk, volumes) + "a!b\\");
}

} // namespace
} // namespace quillory
