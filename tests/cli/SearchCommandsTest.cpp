#include "cli/CommandLineHarness.h"

namespace quillory {
namespace {

using test::Case;
using test::Names;
using test::ReadFile;
using test::WriteFile;

const std::string NumberMessage =
    "Integer values must be used for disk numbers. Please revise the disk number and retry.";

// Two disks, each scanned into a plain and a compressed database.
class SearchCommandsTest : public test::CommandLineTest {
protected:
    std::string one = temp.File("one");
    std::string two = temp.File("two");

    SearchCommandsTest() {
        File(one + "/docs/readme.txt", 1024, 1046858640); // 5/3/2003 10:04:00
        File(one + "/photos/Photo.jpg", 10, 1047715200);  // 15/3/2003 08:00:00
        File(one + "/MYPHOTOS", 9, 1071532798);           // 15/12/2003 23:59:58
        test::SetTime(one + "/docs", 1046520000);         // 1/3/2003 12:00:00
        test::SetTime(one + "/photos", 1046520000);
        File(two + "/big.iso", 100000, 1076846400); // 15/2/2004 12:00:00
        File(two + "/alpha.txt", 5, 1046476800);    // 1/3/2003 00:00:00
        File(two + "/Beta.txt", 7, 1046563198);     // 1/3/2003 23:59:58
        File(two + "/gamma.txt", 6, 1046563200);    // 2/3/2003 00:00:00
        for (const char* db : {"Plain", "Packed"}) {
            Expect({{"create", {"create", db}, 0}});
            Expect({{"scan", {"scan", "--db", db, "--number", "3", "--name", "Holiday", one}, 0},
                    {"scan", {"scan", "--db", db, "--number", "12", "--name", "Backup", two}, 0}});
        }
        Expect({{"compress", {"compress", "Packed"}, 0}});
    }

    static void File(const std::string& path, std::size_t size, std::time_t when) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteFile(path, std::string(size, '\0'));
        test::SetTime(path, when);
    }

    // The names of the rows `find --db Plain ARGUMENTS` gives, joined by spaces.
    std::string Found(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"find", "--db", "Plain"});
        const test::Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.Status, 0) << outcome.Err;
        std::string names;
        for (std::size_t at = 0; at < outcome.Out.size(); at = outcome.Out.find('\n', at) + 1)
            names +=
                (names.empty() ? "" : " ") + outcome.Out.substr(at, outcome.Out.find(',', at) - at);
        return names;
    }

    std::string Rows(const std::vector<std::string>& arguments) { return Run(arguments).Out; }
};

std::string Row(const std::string& name, const std::string& dir, const std::string& disk,
                const std::string& number, const std::string& size, const std::string& date,
                const std::string& time) {
    return name + ", " + dir + ", " + disk + ", " + number + ", " + size + ", " + date + "," +
           time + "\r\n";
}

TEST_F(SearchCommandsTest, FindWritesTheCsvLinesOfEveryMatch) {
    const std::string a = test::DirectoryLine(one);
    const std::string b = test::DirectoryLine(two);
    const std::string all =
        Row("alpha.txt", b, "Backup", "12", "5", "1/3/2003       ", "00:00:00") +
        Row("Beta.txt", b, "Backup", "12", "7", "1/3/2003       ", "23:59:58") +
        Row("big.iso", b, "Backup", "12", "100000", "15/2/2004     ", "12:00:00") +
        Row("docs", a, "Holiday", "3", "0", "1/3/2003       ", "12:00:00") +
        Row("gamma.txt", b, "Backup", "12", "6", "2/3/2003       ", "00:00:00") +
        Row("MYPHOTOS", a, "Holiday", "3", "9", "15/12/2003    ", "23:59:58") +
        Row("Photo.jpg", a + "photos\\", "Holiday", "3", "10", "15/3/2003     ", "08:00:00") +
        Row("photos", a, "Holiday", "3", "0", "1/3/2003       ", "12:00:00") +
        Row("readme.txt", a + "docs\\", "Holiday", "3", "1024", "5/3/2003       ", "10:04:00");
    const std::string file = temp.File("out.csv");
    WriteFile(file, std::string(20000, 'x'));
    Expect({
        {"find lists every record by name", {"find", "--db", "Plain"}, 0, all, ""},
        {"a compressed database gives the same lines", {"find", "--db", "Packed"}, 0, all},
        {"--output writes what standard output shows",
         {"find", "--db", "Plain", "--output", file},
         0,
         "",
         ""},
    });
    EXPECT_EQ(Names(root + "/Packed"), "Backup!12.txt.bz2 Holiday!3.txt.bz2 VLR_ZIP");
    EXPECT_EQ(ReadFile(file), all);
    Expect({{"--output replaces the file",
             {"find", "--db", "Plain", "--text", "alpha", "--output", file},
             0}});
    EXPECT_EQ(ReadFile(file), Rows({"find", "--db", "Plain", "--text", "alpha"}));
    EXPECT_EQ(Names(temp.Path()), "one out.csv root two") << "no file is left beside it";
}

TEST_F(SearchCommandsTest, FindTestsTextDisksAndDates) {
    const struct {
        std::vector<std::string> Arguments;
        std::string Names;
    } cases[] = {
        {{"--text", "photo"}, "MYPHOTOS Photo.jpg photos"},
        {{"--text", "photo*"}, ""}, // taken literally
        {{"--text", "PHOTOS", "--in", "dir"}, "Photo.jpg"},
        {{"--text", "photo", "--in", "both"}, "Photo.jpg"},
        {{"--text", "docs", "--in", "both"}, ""},
        {{"--disk-name", "aCk"}, "alpha.txt Beta.txt big.iso gamma.txt"},
        {{"--disk-name", ""}, Found({})}, // tests nothing
        {{"--disk-number", "3"}, "docs MYPHOTOS Photo.jpg photos readme.txt"},
        {{"--disk-number", "-1"}, Found({})}, // tests nothing
        {{"--from", "1/3/2003", "--to", "1/3/2003"}, "alpha.txt Beta.txt docs photos"},
        {{"--from", "1/3/2003 23:59:58", "--to", "2/3/2003 00:00:00"}, "Beta.txt gamma.txt"},
        {{"--from", "15/12/2003"}, "big.iso MYPHOTOS"},
        {{"--to", "1/3/2003 11:59:59"}, "alpha.txt"},
        {{"--reverse"},
         "readme.txt photos Photo.jpg MYPHOTOS gamma.txt docs big.iso Beta.txt alpha.txt"},
    };
    EXPECT_EQ(Found({}),
              "alpha.txt Beta.txt big.iso docs gamma.txt MYPHOTOS Photo.jpg photos readme.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Arguments.front() + " " + c.Arguments.back());
        EXPECT_EQ(Found(c.Arguments), c.Names);
    }
    // The two directories (size 0, one time) may come in either order.
    const auto sorted = [this](std::vector<std::string> arguments, std::size_t skipFront,
                               std::size_t skipBack) {
        std::string names = Found(std::move(arguments));
        for (; skipFront > 0; --skipFront)
            names.erase(0, names.find(' ') + 1);
        for (; skipBack > 0; --skipBack)
            names.erase(names.rfind(' '));
        return names;
    };
    EXPECT_EQ(sorted({"--sort", "size", "--reverse"}, 0, 2),
              "big.iso readme.txt Photo.jpg MYPHOTOS Beta.txt gamma.txt alpha.txt");
    EXPECT_EQ(sorted({"--sort", "size"}, 2, 0),
              "alpha.txt gamma.txt Beta.txt MYPHOTOS Photo.jpg readme.txt big.iso");
    EXPECT_EQ(sorted({"--sort", "date"}, 3, 0),
              "Beta.txt gamma.txt readme.txt Photo.jpg MYPHOTOS big.iso");
    Expect({
        {"--disk-number 12a",
         {"find", "--db", "Plain", "--disk-number", "12a"},
         1,
         "",
         NumberMessage},
        {"a bad --from",
         {"find", "--db", "Plain", "--from", "1/x/2003"},
         1,
         "",
         "'x' is not a valid integer value."},
        {"an unknown database",
         {"find", "--db", "Missing"},
         1,
         "",
         "There is no database named Missing."},
    });
}

TEST_F(SearchCommandsTest, ListGivesWhatSearchingOneDiskGives) {
    const std::string holiday = Rows({"find", "--db", "Plain", "--disk-number", "3"});
    EXPECT_EQ(std::count(holiday.begin(), holiday.end(), '\n'), 5);
    const std::string file = temp.File("list.csv");
    Expect({
        {"list --number", {"list", "--db", "Plain", "--number", "3"}, 0, holiday, ""},
        {"list --number --name",
         {"list", "--db", "Packed", "--number", "012", "--name", "Backup"},
         0,
         Rows({"find", "--db", "Packed", "--disk-number", "12"})},
        {"list --output", {"list", "--db", "Plain", "--number", "3", "--output", file}, 0, ""},
        {"an unknown number",
         {"list", "--db", "Plain", "--number", "99"},
         1,
         "",
         "No catalog carries the disk number 99."},
        {"a number that is no integer",
         {"list", "--db", "Plain", "--number", "3x"},
         1,
         "",
         NumberMessage},
        {"scan another disk 3",
         {"scan", "--db", "Plain", "--number", "3", "--name", "Other", two},
         0},
    });
    Expect({
        {"a number two disks carry",
         {"list", "--db", "Plain", "--number", "3"},
         1,
         "",
         "Several catalogs carry the disk number 3: name the disk with --name."},
        {"--name picks one of them",
         {"list", "--db", "Plain", "--number", "3", "--name", "Other"},
         0,
         Rows({"find", "--db", "Plain", "--disk-name", "Other"})},
    });
    EXPECT_EQ(ReadFile(file), holiday);
}

} // namespace
} // namespace quillory

namespace quillory {
namespace {

TEST_F(SearchCommandsTest, IndexBuildsAndDropsThePartsSearchesAnswerFrom) {
    // A cache folder of this test's own: other tests run at the same time.
    const std::string previous = std::getenv("XDG_CACHE_HOME") ? std::getenv("XDG_CACHE_HOME") : "";
    ::setenv("XDG_CACHE_HOME", temp.File("cache").c_str(), 1);
    const std::string cache = temp.File("cache/Quillory");
    Expect({{"index", {"index", "--db", "Packed"}, 0, ""}});
    ASSERT_TRUE(std::filesystem::exists(cache));
    for (const char* text : {"photo", "a", "*", "txt"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Rows({"find", "--db", "Packed", "--text", text, "--in", "both"}),
                  Rows({"find", "--db", "Packed", "--text", text, "--in", "both", "--no-index"}));
    }
    EXPECT_EQ(Rows({"list", "--db", "Packed", "--number", "3"}),
              Rows({"list", "--db", "Packed", "--number", "3", "--no-index"}));
    // A catalog that cannot be read is named, and the index is not complete.
    WriteFile(root + "/Packed/Broken!9.txt.bz2", "not bzip2");
    const test::Outcome broken = Run({"index", "--db", "Packed"});
    EXPECT_EQ(broken.Status, 1);
    EXPECT_EQ(broken.Err, "Broken!9.txt.bz2: BZ_DATA_ERROR_MAGIC.\n"
                          "1 of 3 catalogs have no search index part.\n");
    std::filesystem::remove(root + "/Packed/Broken!9.txt.bz2");
    Expect({{"index --drop", {"index", "--db", "Packed", "--drop"}, 0, ""}});
    EXPECT_TRUE(std::filesystem::is_empty(cache));
    // Searches read the catalogs, and say once how to make them faster.
    Expect({{"find without an index",
             {"find", "--db", "Packed", "--text", "photo"},
             0,
             std::nullopt,
             "quillory-cli: most catalogs of Packed are read whole as they are not in the search "
             "index; to search them faster, run quillory-cli index --db Packed"},
            {"--no-index reads them without a word",
             {"find", "--db", "Packed", "--text", "photo", "--no-index"},
             0,
             std::nullopt,
             ""}});
    ::setenv("XDG_CACHE_HOME", previous.c_str(), 1);
}

TEST_F(SearchCommandsTest, KeepGoingWritesEveryOtherResultAndFails) {
    WriteFile(root + "/Packed/Broken!12.txt.bz2", "BZh1 damaged");
    const std::string named = "Broken!12.txt.bz2: BZ_DATA_ERROR.\n";
    const std::string passedOver = "1 of 3 catalogs could not be read and were passed over.\n";
    for (const std::vector<std::string>& search :
         {std::vector<std::string>{"find", "--db", "Packed", "--no-index"},
          std::vector<std::string>{"list", "--db", "Packed", "--number", "12", "--name",
                                   "Broken"}}) {
        SCOPED_TRACE(search[0]);
        const test::Outcome stopped = Run(search);
        EXPECT_EQ(stopped.Status, 1);
        EXPECT_EQ(stopped.Out, "");
        EXPECT_EQ(stopped.Err, named);
        std::vector<std::string> keepGoing = search;
        keepGoing.push_back("--keep-going");
        const test::Outcome kept = Run(keepGoing);
        EXPECT_EQ(kept.Status, 1);
        const bool find = search[0] == "find";
        EXPECT_EQ(kept.Out, find ? Rows({"find", "--db", "Plain"}) : "");
        EXPECT_EQ(kept.Err, named + (find ? passedOver
                                          : "1 of 1 catalogs could not be read and "
                                            "were passed over.\n"));
    }
    std::filesystem::remove(root + "/Packed/Broken!12.txt.bz2");
    Expect({{"nothing to pass over",
             {"find", "--db", "Packed", "--keep-going", "--no-index"},
             0,
             Rows({"find", "--db", "Plain"}),
             ""}});
}

} // namespace
} // namespace quillory
