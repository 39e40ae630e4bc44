#include "index/SearchIndex.h"

#include "index/IndexDatabase.h"
#include "index/IndexedConversion.h"
#include "index/PartTrust.h"
#include "index/Segments.h"
#include "scan/CatalogList.h"
#include "scan/ScanCD.h"
#include "search/DayNumber.h"
#include "search/FindFile.h"
#include "search/ListViewData.h"
#include "search/RecordFilters.h"
#include "store/BZip2.h"
#include "store/CatalogRecord.h"
#include "store/Database.h"
#include "support/DirectorySnapshot.h"
#include "support/TempDir.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <random>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

// The rows of a list, each with its kind after its cells.
std::vector<std::vector<std::string>> Rows(const ResultList& list) {
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < list.Size(); ++i) {
        const ResultRow row = ResultListRows(list).Row(i);
        rows.emplace_back(row.begin(), row.end());
        rows.back().emplace_back(list.Entry(i).Kind);
    }
    return rows;
}

// Runs `work` in a child process; its exit status (128 and the signal when
// killed), after `killAfter` when given.
int InChild(const std::function<void()>& work,
            std::optional<std::chrono::microseconds> killAfter = std::nullopt) {
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            work();
        } catch (const std::exception& error) {
            std::cerr << "child: " << error.what() << "\n";
            ::_exit(3);
        } catch (...) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    if (killAfter) {
        ::usleep(static_cast<useconds_t>(killAfter->count()));
        ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A database in a directory of its own, with the search index kept in a
// cache folder of its own too.
class SearchIndexTest : public ::testing::Test {
protected:
    test::TempDir temp{"/dev/shm"};
    OpenDatabase database;
    std::mt19937 random{20261209};

    void SetUp() override { UseDatabaseIn(temp.Path()); }

    void UseDatabaseIn(const std::string& root) {
        ::setenv("XDG_CACHE_HOME", temp.File("cache").c_str(), 1);
        database = OpenOrCreateDatabase(root, "Test", false);
    }

    std::string RandomText(std::size_t most) {
        // Letters of both cases, repeats, separators and bytes above 127,
        // among them characters that fold to ASCII letters by Unicode's rules
        // (the Kelvin sign, the long s).
        static const std::vector<std::string> alphabet = {"a",
                                                          "A",
                                                          "b",
                                                          "B",
                                                          "e",
                                                          "E",
                                                          "n",
                                                          "N",
                                                          "k",
                                                          "s",
                                                          " ",
                                                          " ",
                                                          ".",
                                                          ".",
                                                          "-",
                                                          "-",
                                                          "_",
                                                          "_",
                                                          "\\",
                                                          "!",
                                                          "(",
                                                          ")",
                                                          "0",
                                                          "1",
                                                          "7",
                                                          "9",
                                                          "\xc3\xa9",
                                                          "\xc3\x89",
                                                          "\xe4",
                                                          "\xff",
                                                          "\xe2\x84\xaa",
                                                          "\xc5\xbf"};
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

    // The text of a catalog of random records, some with dates, times and
    // sizes in forms other than the scanner's, as a tool other than this one
    // would write them.
    std::string CatalogText(std::size_t records) {
        std::vector<std::string> directories{"\\", ""};
        for (int i = 0; i < 12; ++i)
            directories.push_back(directories[random() % directories.size()] + Word() + "\\");
        std::string text;
        for (std::size_t i = 0; i < records; ++i) {
            const int kind = static_cast<int>(random() % 20);
            text += (kind == 0  ? "X"
                     : kind < 4 ? "D"
                                : "F") +
                    std::string("\r\n") + Word() + " " + Word() + "\r\n" +
                    (kind == 1 ? "odd\\dir" : directories[random() % directories.size()]) + "\r\n" +
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
        return text;
    }

    void WriteCatalog(const CatalogName& disk, std::size_t records) {
        WriteCatalogText(disk, CatalogText(records));
    }

    void WriteCatalogText(const CatalogName& disk, const std::string& text) {
        const std::string plain = database.Path + ".catalog.txt";
        WriteFile(plain, text);
        if (database.Compressed)
            Compress(plain, JoinedPath(disk), true);
        else
            fs::rename(plain, JoinedPath(disk));
        fs::remove(plain);
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
        if (random() % 2 == 0)
            criteria.Filters = RandomFilters();
        return criteria;
    }

    // Random further tests, each of them now and then.
    std::shared_ptr<const RecordFilters> RandomFilters() {
        static const std::vector<std::string> regexes = {
            "eee",        "a.b",      "(?i)nab|ben", "n[ae]+n", "^a",      "\\.$",
            "\xc3\xa9n",  "(a+)+$",   "[^a]{3}",     "e.*n",    "kan|sab", "(?i)KEN",
            "\\x{212A}a", "ab(c|n)e", "bb?e[0-9]",   "^.{4,}$"};
        static const std::vector<std::string> globs = {"*a*",  "?B*",    "*[ab]?",
                                                       "*nn*", "[!a]*e", "*ane*"};
        static const std::vector<std::string> extensions = {"a,e", "\xc3\xa9", "n", "NAB"};
        static const std::vector<std::string> sizes = {">50000", "<=100", "10..20000", "=7"};
        auto filters = std::make_shared<RecordFilters>();
        if (random() % 2 == 0) {
            filters->Regex.emplace(regexes[random() % regexes.size()], random() % 3 == 0);
            filters->RegexInName = random() % 3 != 0;
            filters->RegexInDirectory = !filters->RegexInName || random() % 2 == 0;
        }
        if (random() % 4 == 0)
            filters->Glob.emplace(globs[random() % globs.size()]);
        if (random() % 4 == 0)
            filters->Extensions = ExtensionList::Parse(extensions[random() % extensions.size()]);
        if (random() % 3 == 0)
            filters->Size = SizeRange::Parse(sizes[random() % sizes.size()]);
        if (random() % 3 == 0)
            filters->Kind = random() % 2 == 0 ? EntryKind::File : EntryKind::Directory;
        return filters;
    }

    // Searches through the index and by reading every catalog, and expects
    // the very same list; the same matches handed over catalog by catalog;
    // and as many counted.
    void ExpectIndexedEqualsRead(const SearchCriteria& criteria) {
        using Found = std::vector<std::vector<std::string>>;
        const auto failed = [](const Error& error) { return Found{{error.what()}}; };
        const auto read = [&](IndexUse use) {
            try {
                return Rows(FindFile(database, CatalogScope::EveryCatalog(), criteria, {}, {use}));
            } catch (const Error& error) {
                return failed(error);
            }
        };
        const auto handed = [&](IndexUse use) {
            Found rows;
            try {
                FindEachCatalog(database, CatalogScope::EveryCatalog(), criteria,
                                [&](const ResultList& matches) {
                                    const Found more = Rows(matches);
                                    rows.insert(rows.end(), more.begin(), more.end());
                                },
                                {}, {use});
            } catch (const Error& error) {
                return failed(error);
            }
            std::sort(rows.begin(), rows.end());
            return rows;
        };
        const auto counted = [&](IndexUse use) {
            try {
                return Found{{std::to_string(
                    CountMatches(database, CatalogScope::EveryCatalog(), criteria, {}, {use}))}};
            } catch (const Error& error) {
                return failed(error);
            }
        };
        const Found found = read(IndexUse::ReadCatalogs);
        Found sorted = found;
        std::sort(sorted.begin(), sorted.end());
        const bool failure = found.size() == 1 && found[0].size() == 1;
        for (const IndexUse use : {IndexUse::UseIndex, IndexUse::ReadCatalogs}) {
            ASSERT_EQ(read(use), found) << Described(criteria);
            ASSERT_EQ(handed(use), sorted) << Described(criteria);
            ASSERT_EQ(counted(use), failure ? found : Found{{std::to_string(found.size())}})
                << Described(criteria);
        }
    }
    static std::string Described(const SearchCriteria& criteria) {
        return "text '" + criteria.NamePattern + "' name " + std::to_string(criteria.MatchName) +
               " dir " + std::to_string(criteria.MatchDirectory) + " dates " +
               std::to_string(criteria.RangeStart) + " filters " +
               std::to_string(criteria.Filters != nullptr);
    }
    // The same for one random search after another.
    void ExpectIndexedEqualsRead(int searches) {
        for (int i = 0; i < searches && !HasFatalFailure(); ++i)
            ExpectIndexedEqualsRead(RandomCriteria());
    }
    static SearchCriteria NameHolding(const std::string& text) {
        SearchCriteria criteria;
        criteria.NamePattern = text;
        criteria.MatchName = true;
        return criteria;
    }

    // How many catalogs a search answers from the index: one for a text no
    // catalog holds, so that a plain catalog's part is never passed over.
    std::size_t AnsweredFromIndex() {
        SearchCoverage coverage;
        FindFile(database, CatalogScope::EveryCatalog(), NameHolding("QZXQZ"), {}, {}, &coverage);
        return coverage.FromIndex;
    }

    std::string IndexFolderPath() const {
        for (const auto& folder : fs::directory_iterator(temp.File("cache/Quillory")))
            return folder.path();
        return {};
    }

    std::vector<std::string> SegmentFiles() const {
        std::vector<std::string> segments;
        for (const auto& file : fs::directory_iterator(IndexFolderPath()))
            if (file.path().extension() == ".segment")
                segments.push_back(file.path());
        std::sort(segments.begin(), segments.end());
        return segments;
    }
};

TEST_F(SearchIndexTest, IndexedSearchesEqualFullReadsAsTheDatabaseChanges) {
    database = OpenOrCreateDatabase(temp.Path(), "Packed", true);
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
            EXPECT_TRUE(IndexDatabase(database).Complete());
        }
        ExpectIndexedEqualsRead(12);
        if (HasFatalFailure())
            return;
    }
    EXPECT_TRUE(IndexDatabase(database).Complete());
    EXPECT_EQ(AnsweredFromIndex(), ListCatalogNames(database).size());
}

TEST_F(SearchIndexTest, FurtherFiltersPickBlocksWithoutLosingAMatch) {
    // Names that match a pattern only as Unicode folds case (the Kelvin sign
    // and the long s are "k" and "s"), or whose extension and pattern
    // literals hold bytes above ASCII, among many that do not.
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += "F\r\nfiller " + std::to_string(i) +
                ".txt\r\n\\\r\n1/1/2000\r\n00:00:00\r\n5\r\n-----\r\n";
    for (const char* name : {"\xe2\x84\xaa"
                             "elvin.iso",
                             "\xc5\xbf"
                             "abre.IMG",
                             "Caf\xc3\xa9.\xc3\xa9t\xc3\xa9", "zebra42.jpg", "ZEBRA.jpg"})
        text += std::string("F\r\n") + name +
                "\r\n\\d\\\r\n1/1/2000\r\n00:00:00\r\n9437185\r\n-----\r\n";
    WriteCatalogText({"Disk", "1"}, text);
    ASSERT_TRUE(IndexDatabase(database).Complete());
    const auto filtered = [](const std::function<void(RecordFilters&)>& set) {
        auto filters = std::make_shared<RecordFilters>();
        set(*filters);
        SearchCriteria criteria;
        criteria.Filters = filters;
        return criteria;
    };
    const std::vector<std::pair<SearchCriteria, std::size_t>> cases = {
        {filtered([](RecordFilters& f) { f.Regex.emplace("kelvin", false); }), 1},
        {filtered([](RecordFilters& f) { f.Regex.emplace("SABRE", false); }), 1},
        {filtered([](RecordFilters& f) { f.Regex.emplace("\\x{212A}elvin", true); }), 1},
        {filtered([](RecordFilters& f) { f.Regex.emplace("caf\xc3\x89", false); }), 1},
        {filtered([](RecordFilters& f) { f.Regex.emplace("zebra[0-9]+", false); }), 1},
        {filtered([](RecordFilters& f) { f.Glob.emplace("*\xc3\xa9t\xc3\xa9"); }), 1},
        {filtered([](RecordFilters& f) { f.Extensions = ExtensionList::Parse("iso,img,jpg"); }), 4},
        {filtered([](RecordFilters& f) { f.Size = SizeRange::Parse(">9M"); }), 5},
    };
    for (const auto& [criteria, expected] : cases) {
        EXPECT_EQ(CountMatches(database, CatalogScope::EveryCatalog(), criteria), expected);
        ExpectIndexedEqualsRead(criteria);
    }
}

TEST_F(SearchIndexTest, ACatalogChangedInTheSecondItWasReadIsNeverAnsweredFromItsPart) {
    // A file system that keeps whole seconds: ext4 with small inodes, as
    // older tools make it. A catalog rewritten by hand in the second its part
    // was made, keeping its inode, size and modification time, keeps every
    // time it has.
    if (::geteuid() != 0)
        GTEST_SKIP() << "whole-second file system not tested: mounting needs root";
    const std::string image = temp.File("seconds.img");
    const std::string mount = temp.File("seconds");
    fs::create_directory(mount);
    const std::string make = "truncate -s 32M '" + image + "' && mkfs.ext4 -q -F -I 128 '" + image +
                             "' 2>/dev/null && mount -o loop '" + image + "' '" + mount + "'";
    if (std::system(make.c_str()) != 0)
        GTEST_SKIP() << "whole-second file system not tested: the ext4 image cannot be mounted";
    const struct Unmount {
        std::string Path;
        ~Unmount() { ::umount2(Path.c_str(), MNT_DETACH); }
    } unmount{mount};
    for (const bool compressed : {false, true}) {
        database = OpenOrCreateDatabase(mount, compressed ? "Packed" : "Plain", compressed);
        for (int round = 0; round < 6; ++round) {
            SCOPED_TRACE(round);
            const CatalogName disk{"Disk", std::to_string(round)};
            WriteCatalog(disk, 300);
            const IndexReport made = IndexDatabase(database);
            ASSERT_TRUE(made.Complete()) << ::testing::PrintToString(made.Problems);
            // The same bytes but one, in place, with the times put back (a
            // compressed catalog is written anew: its bytes are not free).
            const std::string path = JoinedPath(disk);
            struct stat before {};
            ::stat(path.c_str(), &before);
            if (compressed) {
                WriteCatalog(disk, 300);
            } else {
                std::string text = ReadFile(path);
                text.replace(text.find("\r\n") + 2, 3, "QZX");
                const int fd = ::open(path.c_str(), O_WRONLY);
                ASSERT_EQ(::pwrite(fd, text.data(), text.size(), 0),
                          static_cast<ssize_t>(text.size()));
                ::close(fd);
            }
            const timespec times[2] = {before.st_atim, before.st_mtim};
            ::utimensat(AT_FDCWD, path.c_str(), times, 0);
            ExpectIndexedEqualsRead(NameHolding("QZX"));
            ExpectIndexedEqualsRead(8);
            // Made again, the part is used.
            const IndexReport again = IndexDatabase(database);
            ASSERT_TRUE(again.Complete())
                << ::testing::PrintToString(again.Problems) << again.Indexed << again.StoreFailure;
            ExpectIndexedEqualsRead(4);
        }
        EXPECT_EQ(AnsweredFromIndex(), ListCatalogNames(database).size());
    }
}

TEST(PartTrustTest, APartIsSettledOnlyWhenItsCatalogChangedAWindowBeforeItWasRead) {
    constexpr std::int64_t Second = 1000000000;
    struct Case {
        ChangeTimes Times;
        std::int64_t ChangedBeforeReading; // nanoseconds
        bool Settled;
    };
    for (const Case& c : std::vector<Case>{
             {ChangeTimes::Local, 0, false},
             {ChangeTimes::Local, Second, false},
             {ChangeTimes::Local, 3 * Second - 1, false},
             {ChangeTimes::Local, 3 * Second, true},
             {ChangeTimes::Local, -5 * Second, false}, // stamped ahead of this clock
             {ChangeTimes::Remote, 3 * Second, false},
             {ChangeTimes::Remote, 302 * Second, false},
             {ChangeTimes::Remote, 303 * Second, true},
             {ChangeTimes::Unkept, 100000 * Second, false},
         }) {
        CatalogStamp stamp;
        stamp.ReadAt = 1700000000 * Second + 123;
        const std::int64_t changed = stamp.ReadAt - c.ChangedBeforeReading;
        stamp.Identity.ChangedSeconds = changed / Second;
        stamp.Identity.ChangedNanoseconds = changed % Second;
        EXPECT_EQ(Settled(stamp, c.Times), c.Settled)
            << static_cast<int>(c.Times) << " " << c.ChangedBeforeReading;
    }
}

TEST_F(SearchIndexTest, DamagedTruncatedAndForeignSegmentsArePassedOver) {
    for (int disk = 1; disk <= 3; ++disk)
        WriteCatalog({"Disk", std::to_string(disk)}, 2000);
    ASSERT_TRUE(IndexDatabase(database).Complete());
    const std::vector<std::string> segments = SegmentFiles();
    ASSERT_FALSE(segments.empty());
    std::map<std::string, std::string> good;
    for (const std::string& segment : segments)
        good[segment] = ReadFile(segment);
    for (int trial = 0; trial < 80; ++trial) {
        const std::string& segment = segments[random() % segments.size()];
        std::string damaged = good[segment];
        switch (trial % 4) {
        case 0: // bytes changed anywhere
            for (int n = 1 + trial % 3; n > 0; --n)
                damaged[random() % damaged.size()] ^= static_cast<char>(1 + random() % 255);
            break;
        case 1:
            damaged.resize(random() % damaged.size());
            break;
        case 2: // zeros, as a power cut leaves a file never written out
            std::fill(damaged.begin() + static_cast<std::ptrdiff_t>(random() % damaged.size()),
                      damaged.end(), '\0');
            break;
        default: // another program's file, or a segment of another version
            damaged = trial % 8 == 3 ? "not a segment" : damaged;
            damaged[6] = '\x7f';
        }
        WriteFile(segment, damaged);
        ExpectIndexedEqualsRead(3);
        if (HasFatalFailure())
            return;
        // Made again beside it, and the damaged one merged away in time; one
        // that does not even open, at once.
        EXPECT_TRUE(IndexDatabase(database).Complete());
        EXPECT_EQ(AnsweredFromIndex(), 3u);
        if (trial % 4 == 3) {
            EXPECT_FALSE(fs::exists(segment));
        }
        for (const auto& [name, bytes] : good)
            WriteFile(name, bytes);
        for (const std::string& other : SegmentFiles())
            if (!good.contains(other))
                fs::remove(other);
    }
    // A FIFO or a directory in a segment's place: the search neither waits nor fails.
    for (const bool fifo : {true, false}) {
        fs::remove_all(segments[0]);
        ASSERT_EQ(fifo ? ::mkfifo(segments[0].c_str(), 0600) : ::mkdir(segments[0].c_str(), 0700),
                  0);
        ExpectIndexedEqualsRead(3);
    }
}

TEST_F(SearchIndexTest, TwoProcessesBuildingTheSameIndexLeaveSoundParts) {
    for (int disk = 1; disk <= 5; ++disk)
        WriteCatalog({"Disk", std::to_string(disk)}, 2000);
    for (int round = 0; round < 5; ++round) {
        DropIndex(database);
        const auto index = [this] {
            const IndexReport report = IndexDatabase(database);
            if (!report.Complete()) {
                std::cerr << report.Indexed << " " << report.StoreFailure << " "
                          << ::testing::PrintToString(report.Problems) << "\n";
                ::_exit(1);
            }
        };
        const pid_t first = ::fork();
        if (first == 0) {
            index();
            ::_exit(0);
        }
        EXPECT_EQ(InChild(index), 0);
        int status = 0;
        ::waitpid(first, &status, 0);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(AnsweredFromIndex(), 5u);
        ExpectIndexedEqualsRead(4);
    }
}

TEST_F(SearchIndexTest, EachScanAddsItsPartAndScansLeaveFewSegments) {
    const std::string tree = temp.File("tree/");
    fs::create_directories(tree);
    for (int i = 0; i < 50; ++i)
        WriteFile(tree + "QZX file " + std::to_string(i), "x");
    for (int disk = 1; disk <= 30; ++disk) {
        ASSERT_EQ(ScanCD(database, tree, {"Disk", std::to_string(disk)}, MountedVolumes()).Outcome,
                  ScanOutcome::Written);
        EXPECT_LE(SegmentFiles().size(), 2 * MaxSegments + 1);
    }
    EXPECT_EQ(AnsweredFromIndex(), 30u);
    ExpectIndexedEqualsRead(NameHolding("QZX FILE 1"));
}

TEST_F(SearchIndexTest, KillsAtAnyMomentLeaveNoPartThatIsTrustedAndWrong) {
    database = OpenOrCreateDatabase(temp.Path(), "Packed", true);
    const std::string tree = temp.File("tree/");
    fs::create_directories(tree + "sub");
    for (int i = 0; i < 300; ++i)
        WriteFile(tree + (i % 3 ? "" : "sub/") + "file " + std::to_string(i), "x");
    for (int disk = 1; disk <= 4; ++disk)
        WriteCatalog({"Disk", std::to_string(disk)}, 3000);
    ASSERT_EQ(ScanCD(database, tree, {"Scanned", "1"}, MountedVolumes()).Outcome,
              ScanOutcome::Written);
    for (int round = 0; round < 24; ++round) {
        const auto delay = std::chrono::microseconds(random() % 60000);
        if (round % 3 == 0)
            InChild([&] { ScanCD(database, tree, {"Scanned", "1"}, MountedVolumes()); }, delay);
        else
            InChild([&] { IndexDatabase(database); }, delay);
        // The catalogs change after a kill, as they may before the next search.
        WriteCatalog({"Disk", std::to_string(1 + random() % 4)}, 100 + random() % 3000);
        ExpectIndexedEqualsRead(3);
        if (HasFatalFailure())
            return;
    }
    EXPECT_TRUE(IndexDatabase(database).Complete());
    ExpectIndexedEqualsRead(3);
}

TEST_F(SearchIndexTest, CatalogsTooLargeOrTooOddHaveNoPartAndStayWithinMemory) {
    // The tables of a part never pass their bound: a catalog that would
    // take more simply has none, and is read whole, with the same results.
    const std::string record = "F\r\nsame name " + std::string(200, 'n') +
                               "\r\n\\dir\\\r\n1/2/2003\r\n10:00:00\r\n5\r\n-----\r\n";
    const std::string deep = [] {
        std::string directory = "\\";
        for (int level = 0; level < 60000; ++level)
            directory += "a\\";
        return "F\r\nx\r\n" + directory + "\r\n1/2/2003\r\n10:00:00\r\n5\r\n-----\r\n";
    }();
    struct Case {
        std::string Name;
        std::string Text;
        std::size_t Repeat;
        bool Indexed;
    };
    const std::vector<Case> cases = {
        {"directory of 60 000 levels", deep, 1, false},
        {"line of 40 MB", "F\r\n" + std::string(40 << 20, 'n') + "\r\n", 1, false},
        {"directory of 2 000 levels", "F\r\nx\r\n" + deep.substr(7, 4001) + "\r\n1/2/2003\r\n", 1,
         true},
        {"a bomb: records alike past the bound, in joined bzip2 streams", record, 1 << 19, false},
    };
    database = OpenOrCreateDatabase(temp.Path(), "Packed", true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string plain = temp.File("piece.txt");
        std::string piece;
        for (std::size_t i = 0; i < std::min<std::size_t>(c.Repeat, 1 << 17); ++i)
            piece += c.Text;
        WriteFile(plain, piece);
        Compress(plain, temp.File("piece.bz2"), true);
        const std::string packed = ReadFile(temp.File("piece.bz2"));
        std::string joined;
        for (std::size_t i = 0; i < std::max<std::size_t>(1, c.Repeat >> 17); ++i)
            joined += packed;
        WriteFile(JoinedPath({"Odd", "1"}), joined);
        // Under a bound on the address space, in a process of its own.
        const auto bounded = [&] {
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizer's shadow memory takes terabytes of address space.
#else
            const rlimit limit{std::size_t{512} << 20, std::size_t{512} << 20};
            ::setrlimit(RLIMIT_AS, &limit);
#endif
            const IndexReport report = IndexDatabase(database);
            if ((report.Indexed == 1) != c.Indexed ||
                report.Problems.size() != (c.Indexed ? 0u : 1u)) {
                std::cerr << report.Indexed << " " << report.StoreFailure << " "
                          << ::testing::PrintToString(report.Problems) << "\n";
                ::_exit(1);
            }
            FindFile(database, CatalogScope::EveryCatalog(), NameHolding("NAME"));
        };
        EXPECT_EQ(InChild(bounded), 0);
        ExpectIndexedEqualsRead(2);
        DropIndex(database);
    }
}

TEST_F(SearchIndexTest, NothingOutsideTheCacheIsChangedAndOnlyTheUsersOwnFoldersAreUsed) {
    for (int disk = 1; disk <= 2; ++disk)
        WriteCatalog({"Disk", std::to_string(disk)}, 500);
    // What a symbolic link planted in the cache points at.
    const std::string outside = temp.File("outside/");
    fs::create_directories(outside + "folder");
    WriteFile(outside + "file", "keep me");
    WriteFile(outside + "folder/database", temp.File("gone/Test"));
    fs::create_directories(temp.File("gone"));
    const auto before = test::Snapshot(outside);
    const std::string root = temp.File("cache/Quillory");
    const auto link = [](const std::string& target, const std::string& at) {
        fs::remove_all(at);
        fs::create_symlink(target, at);
    };
    const auto oldLink = [&](const std::string& target, const std::string& at) {
        link(target, at);
        const timespec old[2] = {{0, 0}, {0, 0}};
        ::utimensat(AT_FDCWD, at.c_str(), old, AT_SYMLINK_NOFOLLOW);
    };
    struct Case {
        std::string Name;
        std::function<void(const std::string& folder)> Plant;
        std::function<void()> Act;
        bool IndexUsed; // by the searches after
    };
    const std::vector<Case> cases = {
        {"the index folder a link, dropped",
         [&](const std::string& folder) { link(outside + "folder", folder); },
         [&] { DropIndex(database); }, false},
        {"links among the folder's files, dropped",
         [&](const std::string& folder) {
             link(outside + "file", folder + "/0123456789abcdef.segment");
             link(outside + "folder", folder + "/sub");
         },
         [&] { DropIndex(database); }, false},
        {"links as leftovers and segments, indexed",
         [&](const std::string& folder) {
             oldLink(outside + "file", folder + "/.writing-0123456789abcdef");
             link(outside + "file", folder + "/0123456789abcdef.segment");
             link(outside + "folder", folder + "/.writing-folder");
         },
         [&] { EXPECT_TRUE(IndexDatabase(database).Complete()); }, true},
        {"a gone database's folder a link, indexed",
         [&](const std::string&) { link(outside + "folder", root + "/fedcba9876543210"); },
         [&] { EXPECT_TRUE(IndexDatabase(database).Complete()); }, true},
        {"the cache folder a link",
         [&](const std::string&) {
             fs::remove_all(root);
             fs::create_directory_symlink(outside + "folder", root);
         },
         [&] {
             EXPECT_FALSE(IndexDatabase(database).StoreFailure.empty());
             EXPECT_THROW(DropIndex(database), Error);
         },
         false},
        {"the index folder writable by others",
         [&](const std::string& folder) { fs::permissions(folder, fs::perms::all); },
         [&] { EXPECT_FALSE(IndexDatabase(database).StoreFailure.empty()); }, false},
        {"the cache folder another user's",
         [&](const std::string&) { ASSERT_EQ(::chown(root.c_str(), 65534, 65534), 0); },
         [&] { EXPECT_FALSE(IndexDatabase(database).StoreFailure.empty()); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Name.find("another user") != std::string::npos && ::geteuid() != 0) {
            std::cout << "[ SKIPPED  ] " << c.Name << ": giving a folder away needs root\n";
            continue;
        }
        fs::remove_all(root);
        ASSERT_TRUE(IndexDatabase(database).Complete());
        c.Plant(IndexFolderPath());
        c.Act();
        EXPECT_EQ(AnsweredFromIndex(), c.IndexUsed ? 2u : 0u);
        ExpectIndexedEqualsRead(2);
        EXPECT_EQ(test::Snapshot(outside), before);
        fs::remove_all(root); // a link in its place is removed, not followed
    }
}

TEST_F(SearchIndexTest, AStoppedRunKeepsWhatItMadeAndLeavesNoFileBehind) {
    for (int disk = 1; disk <= 8; ++disk)
        WriteCatalog({"Disk", std::to_string(disk)}, 800);
    for (const bool oneAtATime : {true, false}) {
        DropIndex(database);
        std::atomic<bool> stop = false;
        IndexOptions options;
        options.OneAtATime = oneAtATime;
        options.Stop = &stop;
        options.Progress = [&](std::size_t done, std::size_t) { stop = done >= 3; };
        const IndexReport report = IndexDatabase(database, options);
        EXPECT_TRUE(report.Stopped);
        EXPECT_FALSE(report.Complete());
        EXPECT_GE(AnsweredFromIndex(), 3u);
        for (const auto& file : fs::directory_iterator(IndexFolderPath()))
            EXPECT_FALSE(file.path().filename().string().starts_with(".")) << file.path();
        EXPECT_TRUE(IndexDatabase(database).Complete());
        ExpectIndexedEqualsRead(2);
    }
}

TEST_F(SearchIndexTest, IndexTellsWhatItCouldNotDo) {
    for (int disk = 1; disk <= 6; ++disk)
        WriteCatalog({"Disk", std::to_string(disk)}, 4000);
    // A damaged catalog among the others is passed over and named.
    database = OpenOrCreateDatabase(temp.Path(), "Packed", true);
    for (int disk = 1; disk <= 6; ++disk)
        WriteCatalog({"Disk", std::to_string(disk)}, 400);
    std::string damaged = ReadFile(JoinedPath({"Disk", "3"}));
    damaged[damaged.size() / 2] ^= 0x55;
    WriteFile(JoinedPath({"Disk", "3"}), damaged);
    IndexReport report = IndexDatabase(database);
    EXPECT_EQ(report.Indexed, 5u);
    EXPECT_EQ(report.Problems, std::vector<std::string>{"Disk!3.txt.bz2: BZ_DATA_ERROR"});
    EXPECT_FALSE(report.Complete());
    if (::geteuid() != 0) {
        std::cout << "[ SKIPPED  ] full and read-only caches: mounting needs root\n";
        return;
    }
    // A full cache keeps nothing, and says so; a read-only one keeps its index.
    database = OpenOrCreateDatabase(temp.Path(), "Test", false);
    const std::string cache = temp.File("cache");
    fs::create_directories(cache);
    ASSERT_EQ(::mount("tmpfs", cache.c_str(), "tmpfs", 0, "size=64k"), 0);
    report = IndexDatabase(database);
    EXPECT_NE(report.StoreFailure.find("No space left on device"), std::string::npos)
        << report.StoreFailure;
    EXPECT_FALSE(report.Complete());
    ::umount2(cache.c_str(), MNT_DETACH);
    ASSERT_TRUE(IndexDatabase(database).Complete());
    ASSERT_EQ(::mount(cache.c_str(), cache.c_str(), nullptr, MS_BIND, nullptr), 0);
    ASSERT_EQ(::mount(nullptr, cache.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr),
              0);
    EXPECT_NE(test::ErrorText([&] { DropIndex(database); }).find("Read-only file system"),
              std::string::npos);
    EXPECT_EQ(AnsweredFromIndex(), 6u);
    ::umount2(cache.c_str(), MNT_DETACH);
}

} // namespace
} // namespace quillory
