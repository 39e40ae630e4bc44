#include "search/FindFile.h"

#include "search/DayNumber.h"
#include "search/FindForm.h"
#include "search/ListViewData.h"
#include "store/BZip2.h"
#include "store/CatalogName.h"
#include "store/CatalogRecord.h"
#include "support/DirectorySnapshot.h"
#include "support/ScratchMount.h"
#include "support/TempDir.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unicode/uloc.h>
#include <unistd.h>
#include <vector>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::ErrorText;
using test::WriteFile;
using Texts = std::vector<std::string>;

struct Rec {
    std::string Name;
    std::string Directory = "\\";
    LocalDateTime Time = {5, 3, 2003, 10, 4, 0};
    std::int64_t Size = 1024;
    EntryKind Kind = EntryKind::File;
};

// The rows of a result list, in list order.
std::vector<ResultRow> Rows(const ResultList& list) {
    std::vector<ResultRow> rows;
    for (std::size_t i = 0; i < list.Size(); ++i)
        rows.push_back(ResultListRows(list).Row(i));
    return rows;
}

std::vector<ResultRow> Sorted(std::vector<ResultRow> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

class FindFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        UErrorCode status = U_ZERO_ERROR;
        uloc_setDefault("en_US", &status);
        database.Name = "Test";
        database.Path = temp.File("db/");
        fs::create_directory(database.Path);
        WriteFile(database.Path + "VLR_STD", "Quillory v1.0\r\n");
    }

    void TearDown() override {
        std::error_code ignored;
        fs::permissions(temp.File("db"), fs::perms::owner_all, fs::perm_options::add, ignored);
    }

    void Catalog(const std::string& file, const std::vector<Rec>& records) {
        std::string text;
        for (const Rec& r : records)
            AppendRecord(text, r.Kind, r.Name, r.Directory, r.Time, r.Size);
        WriteFile(database.Path + file, text);
    }

    // The photo catalogs most tests search.
    void PhotoCatalogs() {
        Catalog("Photos!1.txt", {{"Photo.jpg", "\\pics\\"},
                                 {"MYPHOTOS"},
                                 {"Photos", "\\", {1, 1, 2003, 0, 0, 0}, 0, EntryKind::Directory},
                                 {"holiday.jpg", "\\pics\\"},
                                 {"x*.JPG.bak", "\\pics\\"},
                                 {"caf\xC3\xA9.txt", "\\"},
                                 {"CAF\xC3\x89.TXT", "\\"}});
        Catalog("Docs!2.txt", {{"doc1.txt", "\\docs\\"},
                               {"readme.txt", "\\docs\\"},
                               {"doc2.txt", "\\"},
                               {"photo.doc", "\\docs\\"}});
    }

    // The names found by a search with `form`, in byte order.
    Texts Find(const FindForm& form, const CatalogScope& scope = CatalogScope::EveryCatalog()) {
        Texts names;
        for (const ResultRow& row : Rows(FindFile(database, scope, BuildCriteria(form))))
            names.push_back(row[0]);
        std::sort(names.begin(), names.end());
        return names;
    }

    static FindForm Text(const std::string& text, bool name = true, bool directory = false) {
        FindForm form;
        form.Text = text;
        form.FileName = name;
        form.Directory = directory;
        return form;
    }

    // Converts every catalog to the compressed form in place.
    void CompressAll() {
        for (const std::string& file : ListCatalogFiles(database.Path, false)) {
            const std::string plain = database.Path + file;
            Compress(plain, plain + CompressedSuffix, true);
            fs::remove(plain);
        }
        fs::rename(database.Path + "VLR_STD", database.Path + "VLR_ZIP");
        database.Compressed = true;
    }

    test::TempDir temp;
    OpenDatabase database;
};

TEST_F(FindFileTest, NameTextMatchesCaseBlindForAsciiAndLiterally) {
    PhotoCatalogs();
    EXPECT_EQ(Find(Text("photo")), (Texts{"MYPHOTOS", "Photo.jpg", "Photos", "photo.doc"}));
    EXPECT_EQ(Find(Text("*.jpg")), (Texts{"x*.JPG.bak"}));
    EXPECT_EQ(Find(Text("PIC", false, true)), (Texts{"Photo.jpg", "holiday.jpg", "x*.JPG.bak"}));
    // Both boxes: name and directory must both hold the text.
    EXPECT_EQ(Find(Text("doc", true, true)), (Texts{"doc1.txt", "photo.doc"}));
    // Only ASCII letters are folded: "é" and "É" stay apart.
    EXPECT_EQ(Find(Text("caf\xC3\xA9")), (Texts{"caf\xC3\xA9.txt"}));
    EXPECT_EQ(Find(Text("CAF\xC3\x89")), (Texts{"CAF\xC3\x89.TXT"}));
    EXPECT_EQ(Find(Text("Caf")).size(), 2u);
    // Blanks are part of the text.
    EXPECT_EQ(Find(Text(" photo")), Texts{});

    // No text, or no box ticked: no name test at all.
    const std::size_t all = 11;
    EXPECT_EQ(Find(Text("")).size(), all);
    EXPECT_EQ(Find(Text("photo", false, false)).size(), all);
    EXPECT_EQ(Find(Text("*")).size(), all);
}

TEST_F(FindFileTest, EntriesKeepTheirTextsAndComeSortedByName) {
    Catalog("Backup!007.txt", {{"gamma", "\\a\\"},
                               {"readme.txt", "\\docs\\", {5, 3, 2003, 10, 4, 0}, 1024},
                               {"Beta", "\\b\\", {15, 12, 2003, 23, 59, 59}, 6000000000},
                               {"alpha"}});
    const ResultList list = FindFile(database, CatalogScope::EveryCatalog(), SearchCriteria());
    const std::vector<ResultRow> rows = Rows(list);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][0], "alpha");
    EXPECT_EQ(rows[1], (ResultRow{"Beta", "\\b\\", "Backup", "007", "6000000000",
                                  "15/12/2003    23:59:59"}));
    EXPECT_EQ(rows[2][0], "gamma");
    EXPECT_EQ(rows[3], (ResultRow{"readme.txt", "\\docs\\", "Backup", "007", "1024",
                                  "5/3/2003       10:04:00"}));
}

TEST_F(FindFileTest, DiskTestsRunOnFileNamesBeforeReading) {
    Catalog("Music CD!2.txt", {{"song.mp3"}});
    Catalog("cdrom!3.txt", {{"setup.exe"}});
    Catalog("Backup!003.txt", {{"old.zip"}});
    Catalog("Odd!x.txt", {{"odd.txt"}});
    std::mutex mutex;
    std::multiset<std::string> read;
    const auto names = [&](const FindForm& form) {
        read.clear();
        Texts found;
        const ResultList list = FindFile(database, CatalogScope::EveryCatalog(),
                                         BuildCriteria(form), [&](const SearchStep& step) {
                                             const std::lock_guard lock(mutex);
                                             read.emplace(step.DiskName);
                                         });
        for (std::size_t i = 0; i < list.Size(); ++i)
            found.emplace_back(list.Entry(i).Name);
        std::sort(found.begin(), found.end());
        return found;
    };

    FindForm form;
    form.UseDiskName = true;
    form.DiskName = "cd";
    EXPECT_EQ(names(form), (Texts{"setup.exe", "song.mp3"}));
    EXPECT_EQ(read, (std::multiset<std::string>{"Music CD", "cdrom"}));
    form.DiskName = "";
    EXPECT_EQ(names(form).size(), 4u);
    EXPECT_EQ(read.size(), 4u);

    // A number part that is not an integer fails only while the number test is on.
    form = FindForm();
    form.UseDiskNumber = true;
    form.DiskNumber = "3";
    EXPECT_EQ(ErrorText([&] { names(form); }), "'x' is not a valid integer value");
    form.UseDiskName = true;
    form.DiskName = "C"; // leaves out "Odd" before its number is looked at
    EXPECT_EQ(names(form), (Texts{"old.zip", "setup.exe"}));
    EXPECT_EQ(read, (std::multiset<std::string>{"Backup", "cdrom"}));
    form.UseDiskName = false;
    form.DiskNumber = "-1";
    EXPECT_EQ(names(form).size(), 4u);
    form.UseDiskNumber = false;
    form.DiskNumber = "x";
    EXPECT_EQ(names(form).size(), 4u);

    // The dialog's own check comes first.
    form.UseDiskNumber = true;
    for (const char* bad : {"12a", "", " "})
        EXPECT_EQ(ErrorText([&] {
                      form.DiskNumber = bad;
                      BuildCriteria(form);
                  }),
                  "Integer values must be used for disk numbers. Please revise the disk number "
                  "and retry.");
}

TEST_F(FindFileTest, DateBoundsAreInclusiveAndLowBoundsSwitchTheTestOff) {
    Catalog("Days!1.txt", {{"before", "\\", {28, 2, 2003, 23, 59, 59}},
                           {"first", "\\", {1, 3, 2003, 0, 0, 0}},
                           {"last", "\\", {1, 3, 2003, 23, 59, 59}},
                           {"next", "\\", {2, 3, 2003, 0, 0, 0}}});
    FindForm form;
    form.UseDate = true;
    form.Start = TimeValue("1/3/2003", "00:00:00");
    form.End = TimeValue("1/3/2003", "23:59:59");
    EXPECT_EQ(Find(form), (Texts{"first", "last"}));
    form.UseDate = false;
    EXPECT_EQ(Find(form).size(), 4u);

    // A reversed range finds nothing.
    form.UseDate = true;
    std::swap(form.Start, form.End);
    EXPECT_EQ(Find(form), Texts{});

    // 16 November 1858 is day -1: a bound there or below means no date test.
    const double end = TimeValue("1/3/2003", "23:59:59");
    for (const double low : {mjd(16, 11, 1858), mjd(1, 1, 1800)}) {
        form.Start = low;
        form.End = end;
        EXPECT_EQ(Find(form).size(), 4u);
        form.Start = end;
        form.End = low;
        EXPECT_EQ(Find(form).size(), 4u);
    }
    form.Start = mjd(16, 11, 1858) + 0.5;
    form.End = end;
    EXPECT_EQ(Find(form), (Texts{"before", "first", "last"}));
}

TEST_F(FindFileTest, BadDatesFailOnlyWhileTheDateTestIsOn) {
    std::string text = FormatRecord(EntryKind::File, "good", "\\", {1, 3, 2003, 0, 0, 0}, 1);
    text += "F\r\nbad\r\n\\\r\n1/3/x\r\n00:00:00\r\n1\r\n-----\r\n";
    WriteFile(database.Path + "Disk!1.txt", text);
    FindForm form;
    EXPECT_EQ(Find(form), (Texts{"bad", "good"}));
    form.UseDate = true;
    form.Start = mjd(1, 1, 2003);
    form.End = mjd(1, 1, 2004);
    EXPECT_EQ(ErrorText([&] { Find(form); }), "'x' is not a valid integer value");
}

TEST_F(FindFileTest, EmptyDatabasesAndCatalogsGiveNothing) {
    EXPECT_EQ(FindFile(database, CatalogScope::EveryCatalog(), SearchCriteria()).Size(), 0u);
    WriteFile(database.Path + "Empty!1.txt", "");
    EXPECT_EQ(FindFile(database, CatalogScope::EveryCatalog(), SearchCriteria()).Size(), 0u);
    EXPECT_EQ(FindFile(database, CatalogScope::OneCatalog({"Empty", "1"}), SearchCriteria()).Size(),
              0u);
}

TEST_F(FindFileTest, CompressedCatalogsAreReadInPlace) {
    PhotoCatalogs();
    WriteFile(database.Path + "Empty!3.txt", "");
    FindForm dated;
    dated.UseDate = true;
    dated.Start = mjd(1, 1, 2003);
    dated.End = mjd(2, 1, 2003);
    const std::vector<FindForm> forms = {FindForm(), Text("photo"), Text("doc", true, true), dated};
    std::vector<std::vector<ResultRow>> plain;
    for (const FindForm& form : forms)
        plain.push_back(
            Sorted(Rows(FindFile(database, CatalogScope::EveryCatalog(), BuildCriteria(form)))));
    ASSERT_EQ(plain[0].size(), 11u);

    CompressAll();
    const auto before = test::Snapshot(database.Path);
    for (std::size_t i = 0; i < forms.size(); ++i)
        EXPECT_EQ(
            Sorted(Rows(FindFile(database, CatalogScope::EveryCatalog(), BuildCriteria(forms[i])))),
            plain[i]);
    EXPECT_EQ(FindFile(database, CatalogScope::OneCatalog({"Docs", "2"}), SearchCriteria()).Size(),
              4u);
    EXPECT_EQ(test::Snapshot(database.Path), before);

    // Media that cannot be written to: read-only for this user, or, for root,
    // a read-only mount.
    const std::string readOnly = temp.File("ro/");
    fs::create_directory(readOnly);
    test::ScratchMount mount(readOnly, database.Path);
    if (mount.Mounted()) {
        ::mount(nullptr, readOnly.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr);
        database.Path = readOnly;
    } else {
        fs::permissions(database.Path, fs::perms::owner_read | fs::perms::owner_exec);
    }
    const std::string probe = database.Path + "probe";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT, 0600);
    if (fd >= 0) {
        ::close(fd);
        fs::remove(probe);
        GTEST_SKIP() << "no way to make a directory read-only here";
    }
    EXPECT_EQ(
        Sorted(Rows(FindFile(database, CatalogScope::EveryCatalog(), BuildCriteria(forms[1])))),
        plain[1]);
}

TEST_F(FindFileTest, ParallelRunEqualsOneCatalogAtATime) {
    for (int disk = 0; disk < 30; ++disk) {
        std::vector<Rec> records;
        for (int i = 0; i < 150 + disk * 7; ++i)
            records.push_back({"f" + std::to_string(i * 31 % 97) + (i % 5 ? ".doc" : ".jpg"),
                               "\\d" + std::to_string(i % 4) + "\\",
                               {1 + i % 28, 1 + disk % 12, 2003, i % 24, 0, 0},
                               i * 1000 + disk});
        Catalog("Disk" + std::to_string(disk) + "!" + std::to_string(disk) + ".txt", records);
    }
    for (const FindForm& form : {FindForm(), Text("jpg"), Text("d2", false, true)}) {
        const SearchCriteria criteria = BuildCriteria(form);
        std::vector<ResultRow> single;
        for (const std::string& file : ListCatalogFiles(database.Path, false)) {
            const std::vector<ResultRow> rows = Rows(FindFile(
                database, CatalogScope::OneCatalog(CutCatalogFileName(file, false)), criteria));
            single.insert(single.end(), rows.begin(), rows.end());
        }
        const std::vector<ResultRow> all =
            Rows(FindFile(database, CatalogScope::EveryCatalog(), criteria));
        EXPECT_GT(all.size(), 1000u);
        EXPECT_EQ(Sorted(all), Sorted(single));
    }
}

// Makes at `path` something that is not a regular file; false when this
// machine does not let the test make it.
bool MakeOddFile(const std::string& kind, const std::string& path) {
    if (kind == "pipe")
        return ::mkfifo(path.c_str(), 0644) == 0;
    if (kind == "directory")
        return fs::create_directory(path);
    if (kind == "device")
        return ::mknod(path.c_str(), S_IFCHR | 0644, ::makedev(1, 3)) == 0;
    if (kind == "link to nowhere" || kind == "link to itself") {
        fs::create_symlink(kind == "link to itself" ? path : path + ".gone", path);
        return true;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    const bool made = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return made;
}

TEST_F(FindFileTest, OnlyRegularFilesAreCatalogsAndNoneBlocks) {
    // A search that blocks on a pipe never returns: the alarm ends the test.
    ::alarm(60);
    for (int disk = 0; disk < 6; ++disk)
        Catalog("Disk" + std::to_string(disk) + "!" + std::to_string(disk) + ".txt",
                {{"file" + std::to_string(disk)}});
    Catalog("Linked.data", {{"linked"}});
    fs::create_symlink("Linked.data", database.Path + "Linked!6.txt");
    for (const bool compressed : {false, true}) {
        if (compressed)
            CompressAll();
        const std::string extension = compressed ? ".txt.bz2" : ".txt";
        for (const char* kind :
             {"pipe", "socket", "directory", "device", "link to nowhere", "link to itself"}) {
            SCOPED_TRACE(std::string(kind) + (compressed ? " compressed" : " plain"));
            const std::string file = std::string("Odd!") + std::to_string(compressed) + extension;
            if (!MakeOddFile(kind, (fs::path(database.Path) / file).string())) {
                std::printf("SKIP a %s named like a catalog: this machine cannot make one\n", kind);
                continue;
            }
            EXPECT_EQ(ListCatalogFiles(database.Path, compressed).size(), 7u);
            EXPECT_EQ(FindFile(database, CatalogScope::EveryCatalog(), SearchCriteria()).Size(),
                      7u);
            // Opened by name, as a catalog replaced after it was listed, it
            // fails at once.
            EXPECT_EQ(ErrorText([&] {
                          FindFile(database,
                                   CatalogScope::OneCatalog({"Odd", std::to_string(compressed)}),
                                   SearchCriteria());
                      }),
                      "Cannot open file " + database.Path + file);
            fs::remove(database.Path + file);
        }
    }
    ::alarm(0);
}

TEST_F(FindFileTest, AFailedCatalogIsNamedAndPassedOverOnRequest) {
    for (int disk = 0; disk < 12; ++disk)
        Catalog("Disk" + std::to_string(disk) + "!" + std::to_string(disk) + ".txt",
                {{"file" + std::to_string(disk)}});
    const std::string unreadable = "Cannot read file " + database.Path + "Bad!20.txt";
    fs::create_symlink("/proc/self/mem", database.Path + "Bad!20.txt"); // reads fail
    SearchCriteria criteria;
    const auto search = [&](bool keepGoing, SearchCoverage& coverage) {
        return FindFile(database, CatalogScope::EveryCatalog(), criteria, {},
                        {.KeepGoing = keepGoing}, &coverage);
    };
    // The failure that stops a search, and what one that keeps going passes
    // over; `found` is what it finds in the others.
    const auto expect = [&](const std::string& failure, const std::string& passedOver,
                            std::size_t found = 12) {
        SearchCoverage coverage;
        EXPECT_EQ(ErrorText([&] { search(false, coverage); }), failure);
        EXPECT_EQ(search(true, coverage).Size(), found);
        EXPECT_EQ(coverage.PassedOver, Texts{passedOver});
    };
    expect(unreadable, "Bad!20.txt: " + unreadable);
    fs::remove(database.Path + "Bad!20.txt");

    CompressAll();
    const std::string whole = test::ReadFile(database.Path + "Disk3!3.txt.bz2");
    const struct {
        const char* Label;
        std::string Bytes;
        std::string Error; // none: an empty catalog, which holds no record
    } cases[] = {
        {"damaged", "BZh1 damaged", "BZ_DATA_ERROR"},
        {"cut short", whole.substr(0, whole.size() / 2), "BZ_UNEXPECTED_EOF"},
        {"plain text", "F\r\nfile\r\n\\\r\n", "BZ_DATA_ERROR_MAGIC"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Label);
        WriteFile(database.Path + "Bad!20.txt.bz2", c.Bytes);
        if (c.Error.empty()) {
            SearchCoverage coverage;
            EXPECT_EQ(search(false, coverage).Size(), 12u);
            continue;
        }
        expect("Bad!20.txt.bz2: " + c.Error, "Bad!20.txt.bz2: " + c.Error);
    }
    fs::remove(database.Path + "Bad!20.txt.bz2");
    // A disk number that is no integer fails the number test's catalog.
    WriteFile(database.Path + "Disk!x.txt.bz2", "");
    FindForm diskThree;
    diskThree.UseDiskNumber = true;
    diskThree.DiskNumber = "3";
    criteria = BuildCriteria(diskThree);
    expect("'x' is not a valid integer value", "Disk!x.txt.bz2: 'x' is not a valid integer value",
           1);
}

} // namespace
} // namespace quillory
