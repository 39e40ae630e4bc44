#include "index/SearchIndex.h"

#include "index/CatalogPart.h"
#include "index/IndexDatabase.h"
#include "index/IndexedConversion.h"
#include "scan/CatalogList.h"
#include "scan/ScanCD.h"
#include "search/DayNumber.h"
#include "search/FindFile.h"
#include "search/ListViewData.h"
#include "store/BZip2.h"
#include "store/CatalogRecord.h"
#include "store/Database.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

std::vector<ResultRow> Rows(const ResultList& list) {
    std::vector<ResultRow> rows;
    for (std::size_t i = 0; i < list.Size(); ++i)
        rows.push_back(ResultListRows(list).Row(i));
    return rows;
}

// A database in a directory of its own, with the search index kept in a
// cache folder of its own too.
class SearchIndexTest : public ::testing::Test {
protected:
    test::TempDir temp{"/dev/shm"};
    OpenDatabase database;
    std::mt19937 random{20261209};

    void SetUp() override {
        ::setenv("XDG_CACHE_HOME", temp.File("cache").c_str(), 1);
        database = OpenOrCreateDatabase(temp.Path(), "Test", false);
    }

    std::string RandomText(std::size_t most) {
        // Letters of both cases, repeats, separators and bytes above 127.
        static const std::string alphabet = "aAbBeEnN  ..--__\\!()0179\xc3\xa9\xe4\xff";
        std::string text;
        for (std::size_t n = 1 + random() % most; n > 0; --n)
            text += alphabet[random() % alphabet.size()];
        return text;
    }

    // A word of a few random bytes; names and directories are made of a
    // small stock of them, as a disk's names repeat their words.
    std::string Word() {
        static std::vector<std::string> stock;
        if (stock.size() < 60)
            stock.push_back(RandomText(7));
        return stock[random() % stock.size()];
    }

    // A catalog of random records, some with dates, times and sizes in forms
    // other than the scanner's, written as a tool other than this one would.
    void WriteCatalog(const CatalogName& disk, std::size_t records) {
        std::vector<std::string> directories{"\\"};
        for (int i = 0; i < 12; ++i)
            directories.push_back(directories[random() % directories.size()] + Word() + "\\");
        std::string text;
        for (std::size_t i = 0; i < records; ++i) {
            const int kind = static_cast<int>(random() % 20);
            text += (kind == 0 ? "X" : "F") + std::string("\r\n") + Word() + " " + Word() + "\r\n" +
                    (kind == 1 ? "odd\\dir" : directories[random() % 13]) + "\r\n" +
                    (kind == 2 ? "07/03/2003"
                               : std::to_string(1 + random() % 28) + "/" +
                                     std::to_string(1 + random() % 12) + "/" +
                                     std::to_string(1990 + random() % 30)) +
                    "\r\n" + (kind == 3 ? "9:4:0" : "10:04:" + std::to_string(10 + random() % 50)) +
                    "\r\n" +
                    (kind == 4   ? "-12"
                     : kind == 5 ? "007"
                                 : std::to_string(random() % 100000)) +
                    "\r\n-----\r\n";
        }
        if (random() % 3 == 0)
            text += "F\r\nshort record\r\n"; // a catalog cut short
        const std::string plain = temp.File("catalog.txt");
        WriteFile(plain, text);
        if (database.Compressed)
            Compress(plain, JoinedPath(disk), true);
        else
            fs::rename(plain, JoinedPath(disk));
    }

    std::string JoinedPath(const CatalogName& disk) const {
        return database.Path + CatalogFileName(disk, database.Compressed);
    }

    SearchCriteria RandomCriteria() {
        SearchCriteria criteria;
        const int pick = static_cast<int>(random() % 6);
        criteria.NamePattern = pick == 0 ? "*" : pick == 1 ? "EEE" : RandomText(pick == 2 ? 2 : 5);
        for (char& c : criteria.NamePattern)
            c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        criteria.MatchName = random() % 3 != 1;
        criteria.MatchDirectory = random() % 3 != 0;
        if (random() % 4 == 0) {
            criteria.RangeStart = mjd(1, 1, 1995);
            criteria.RangeEnd = mjd(31, 12, 2010);
        }
        return criteria;
    }

    // Searches through the index and by reading every catalog, and expects
    // the very same list, for one random search after another.
    void ExpectIndexedEqualsRead(int searches) {
        for (int i = 0; i < searches; ++i) {
            const SearchCriteria criteria = RandomCriteria();
            const auto read = [&](IndexUse use) {
                try {
                    return Rows(
                        FindFile(database, CatalogScope::EveryCatalog(), criteria, {}, use));
                } catch (const Error& error) {
                    return std::vector<ResultRow>{{error.what()}};
                }
            };
            ASSERT_EQ(read(IndexUse::UseIndex), read(IndexUse::ReadCatalogs))
                << "text '" << criteria.NamePattern << "' name " << criteria.MatchName << " dir "
                << criteria.MatchDirectory << " dates " << criteria.RangeStart;
        }
    }

    std::vector<std::string> PartFiles() const {
        std::vector<std::string> parts;
        for (const auto& folder : fs::directory_iterator(temp.File("cache/Quillory"))) {
            for (const auto& file : fs::directory_iterator(folder))
                if (file.path().extension() == ".part")
                    parts.push_back(file.path());
        }
        std::sort(parts.begin(), parts.end());
        return parts;
    }
};

TEST_F(SearchIndexTest, IndexedSearchesEqualFullReadsAsTheDatabaseChanges) {
    const std::string tree = temp.File("tree/");
    fs::create_directories(tree + "Sub dir");
    WriteFile(tree + "Needle.txt", "x");
    WriteFile(tree + "Sub dir/needle haystack.doc", "xy");
    for (int disk = 1; disk <= 6; ++disk)
        WriteCatalog({"Disk " + std::to_string(disk), std::to_string(disk)}, 50 + 90 * disk);
    std::vector<std::string> did;
    for (int step = 0; step < 24; ++step) {
        const CatalogName disk{"Disk " + std::to_string(1 + random() % 7),
                               std::to_string(1 + random() % 7)};
        const int action = static_cast<int>(random() % 7);
        did.push_back(std::to_string(action));
        SCOPED_TRACE("actions " + ::testing::PrintToString(did));
        switch (action) {
        case 0: // a scan, or a rescan of a disk already there
            ScanCD(database, tree, {"Scanned", "9"}, MountedVolumes());
            break;
        case 1:
            WriteCatalog(disk, 20 + random() % 300);
            break;
        case 2:
            for (const CatalogName& name : ListCatalogNames(database)) {
                RenameCatalog(database, name, {name.DiskName + " renamed", name.DiskNumber});
                break;
            }
            break;
        case 3:
            for (const CatalogName& name : ListCatalogNames(database)) {
                DeleteCatalog(database, name);
                break;
            }
            break;
        case 4:
            ConvertKeepingIndex(database.Path, !database.Compressed);
            database.Compressed = !database.Compressed;
            break;
        case 5: { // edited by hand, keeping size and modification time
            if (database.Compressed || ListCatalogNames(database).empty())
                break;
            const std::string path = JoinedPath(ListCatalogNames(database)[0]);
            struct stat before {};
            ::stat(path.c_str(), &before);
            std::string text = ReadFile(path);
            const std::size_t at = text.find("\r\n") + 2; // the first record's name
            text[at] = text[at] == 'n' ? 'N' : 'n';
            WriteFile(path, text);
            const timespec times[2] = {before.st_atim, before.st_mtim};
            ::utimensat(AT_FDCWD, path.c_str(), times, 0);
            break;
        }
        default:
            IndexDatabase(database);
        }
        ExpectIndexedEqualsRead(12);
        if (HasFatalFailure())
            return;
    }
}

TEST_F(SearchIndexTest, DamagedTruncatedAndForeignPartsArePassedOver) {
    for (int disk = 1; disk <= 3; ++disk)
        WriteCatalog({"Disk", std::to_string(disk)}, 2000);
    ::usleep(50000);
    IndexDatabase(database);
    const std::vector<std::string> parts = PartFiles();
    ASSERT_EQ(parts.size(), 3u);
    const std::string good = ReadFile(parts[0]);
    const std::string other = ReadFile(parts[1]);
    for (int trial = 0; trial < 120; ++trial) {
        std::string damaged = good;
        switch (trial % 4) {
        case 0: // bytes changed anywhere
            for (int n = 1 + trial % 3; n > 0; --n)
                damaged[random() % damaged.size()] ^= static_cast<char>(1 + random() % 255);
            break;
        case 1:
            damaged.resize(random() % damaged.size());
            break;
        case 2: // another catalog's part
            damaged = other;
            break;
        default: // another program's file, or a part of another version
            damaged = trial % 8 == 3 ? "not a part" : good;
            damaged[7] = '\x7f';
        }
        WriteFile(parts[0], damaged);
        ExpectIndexedEqualsRead(3);
        if (HasFatalFailure())
            return;
        // Made again in its place.
        IndexDatabase(database);
        EXPECT_TRUE(SearchIndex(database.Path).CurrentPart(JoinedPath({"Disk", "1"})));
    }
    // A FIFO or a directory in a part's place: the search neither waits nor fails.
    for (const bool fifo : {true, false}) {
        std::filesystem::remove_all(parts[0]);
        ASSERT_EQ(fifo ? ::mkfifo(parts[0].c_str(), 0600) : ::mkdir(parts[0].c_str(), 0700), 0);
        ExpectIndexedEqualsRead(3);
    }
}

TEST_F(SearchIndexTest, PartsReadAlikeWhateverTheirLead) {
    // What is past the lead is read when needed: every record comes out the
    // same, and damage is found, from a lead of nothing to the whole file.
    WriteCatalog({"Disk", "1"}, 3000);
    ::usleep(50000);
    IndexDatabase(database);
    const std::string path = PartFiles().at(0);
    const auto records = [&](std::uint64_t lead) {
        std::string out;
        const std::optional<CatalogPart> part = CatalogPart::Open(path, AT_FDCWD, lead);
        for (std::uint32_t block : part.value().CandidateBlocks({}))
            part->ForEachRecord(block, [&](const CatalogRecordView& record) {
                for (std::string_view line : record.Lines)
                    out.append(line).append("\n");
            });
        return out;
    };
    const std::string whole = ReadFile(path);
    const std::uint64_t wanted = CatalogPart::Open(path).value().WantedLead();
    const std::string expected = records(CatalogPart::DefaultLeadLength);
    ASSERT_GT(expected.size(), 3000u);
    std::string damaged = whole;
    damaged[damaged.size() - 2] ^= 0x20; // in the last block
    for (const std::uint64_t lead :
         {std::uint64_t{0}, std::uint64_t{23}, std::uint64_t{24}, std::uint64_t{300}, wanted - 1,
          wanted, std::uint64_t{whole.size()}}) {
        WriteFile(path, whole);
        EXPECT_EQ(records(lead), expected) << lead;
        WriteFile(path, damaged);
        EXPECT_THROW(records(lead), DamagedPart) << lead;
    }
}

TEST_F(SearchIndexTest, TwoProcessesBuildingTheSameIndexLeaveSoundParts) {
    for (int disk = 1; disk <= 5; ++disk)
        WriteCatalog({"Disk", std::to_string(disk)}, 2000);
    // Catalogs changed in the clock tick of their reading get no part trusted.
    ::usleep(50000);
    for (int round = 0; round < 5; ++round) {
        DropIndex(database);
        pid_t children[2];
        for (pid_t& child : children) {
            child = ::fork();
            if (child == 0) {
                IndexDatabase(database);
                ::_exit(0);
            }
        }
        for (pid_t child : children) {
            int status = 0;
            ::waitpid(child, &status, 0);
            EXPECT_EQ(status, 0);
        }
        const SearchIndex index(database.Path);
        for (const CatalogName& disk : ListCatalogNames(database))
            EXPECT_TRUE(index.CurrentPart(JoinedPath(disk))) << disk.DiskNumber;
        ExpectIndexedEqualsRead(4);
    }
}

TEST_F(SearchIndexTest, PartsOfCatalogsAndDatabasesThatAreGoneAreRemoved) {
    WriteCatalog({"Disk", "1"}, 2000);
    WriteCatalog({"Disk", "2"}, 2000);
    ::usleep(50000);
    const OpenDatabase other = OpenOrCreateDatabase(temp.Path(), "Other", false);
    WriteFile(other.Path + "A!1.txt", ReadFile(JoinedPath({"Disk", "1"})));
    IndexDatabase(database);
    IndexDatabase(other);
    EXPECT_EQ(PartFiles().size(), 3u);
    fs::remove(JoinedPath({"Disk", "2"}));
    fs::remove_all(other.Path);
    IndexDatabase(database);
    EXPECT_EQ(PartFiles().size(), 1u);
    DropIndex(database);
    EXPECT_TRUE(fs::is_empty(temp.File("cache/Quillory")));
}

} // namespace
} // namespace quillory
