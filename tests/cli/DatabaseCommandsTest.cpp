#include "cli/CommandLineHarness.h"
#include "support/DirectorySnapshot.h"
#include "support/ScratchMount.h"

#include <random>
#include <sys/mount.h>

namespace quillory {
namespace {

using test::Case;
using test::Names;
using test::ReadFile;
using test::WriteFile;
namespace fs = std::filesystem;

const std::string NoDatabase = "There is no database named Missing.";

using SettingsCommandTest = test::CommandLineTest;

TEST_F(SettingsCommandTest, PrintsTheSettingsAsLoadedAndNeverWritesThem) {
    Expect({{"settings without a file",
             {"settings"},
             0,
             "InputDir\t\nDatabaseDir\t\nPrintCols\t0 0 0 0 0 0\nPrintColsEnabled\t0 0 0 0 0 0\n"}},
           false);
    WriteSettings("[General]\nInputDir=/media/cdrom/\nDatabaseDir=/data/\nFirstTime=True\n"
                  "PrintCols=\"  5  40 120   4  10  20\"\nPrintColsEnabled=\"1 0 1 1 0 1 \"\n");
    Expect({{"settings from a file",
             {"--root", "/elsewhere", "settings"},
             0,
             "InputDir\t/media/cdrom/\nDatabaseDir\t/data/\nPrintCols\t5 40 120 4 10 20\n"
             "PrintColsEnabled\t1 0 1 1 0 1\n"}},
           false);
    EXPECT_NE(ReadFile(settingsFile).find("FirstTime=True"), std::string::npos)
        << "the command line never applies the first-run rule";
    // The message names the file and the value as well as the conversion's text.
    WriteSettings("[General]\nPrintCols=\"  5  4x\"\n");
    const std::string in = "quillory-cli: " + settingsFile + ", value ";
    Expect({{"malformed settings",
             {"settings"},
             1,
             "",
             in + "PrintCols: ' 4x' is not a valid integer value."}},
           false);
    WriteSettings("[General]\nDatabaseDir=/data/\n");
    Expect({{"a missing value",
             {"databases"},
             1,
             "",
             in + "PrintCols: '' is not a valid integer value."},
            {"--root needs no settings", {"--root", root, "databases"}, 0, ""}},
           false);
}

using DatabaseCommandsTest = test::CommandLineTest;

TEST_F(DatabaseCommandsTest, CreateListAndRefuseBadOrExistingNames) {
    fs::create_directories(root + "/Unmarked");
    fs::create_directories(root + "/.hidden");
    WriteFile(root + "/.hidden/VLR_STD", "Quillory v1.0\r\n");
    const std::string badName = "Database names cannot include \"/\", \"\\\" or control "
                                "characters, nor begin with \".\". Please revise the database "
                                "name and retry.";
    Expect({
        {"an empty root lists nothing", {"databases"}, 0, ""},
        {"create a plain database", {"create", "Beta"}, 0, "", ""},
        {"create a compressed database", {"create", "alpha", "--compressed"}, 0, "", ""},
        // "alpha" before "Beta": the order comes from the locale.
        {"databases in locale order", {"databases"}, 0, "alpha\tY\nBeta\tN\n"},
        {"create an existing name",
         {"create", "Beta", "--compressed"},
         1,
         "",
         "A database named Beta exists already."},
        {"create ../outside", {"create", "../outside"}, 1, "", badName},
        {"create a/b", {"create", "a/b"}, 1, "", badName},
        {"create ..", {"create", ".."}, 1, "", badName},
        {"a directory without a marker is no database",
         {"compress", "Unmarked"},
         1,
         "",
         "There is no database named Unmarked."},
        {"nor are its catalogs listed",
         {"catalogs", "--db", "Unmarked"},
         1,
         "",
         "There is no database named Unmarked."},
    });
    EXPECT_EQ(ReadFile(root + "/Beta/VLR_STD"), "Quillory v1.0\r\n");
    EXPECT_EQ(Names(root + "/Beta"), "VLR_STD") << "the existing database is unchanged";
    EXPECT_EQ(Names(root + "/alpha"), "VLR_ZIP");
    EXPECT_EQ(Names(root), ".hidden Beta Unmarked alpha") << "bad names create nothing";
    EXPECT_EQ(Names(root + "/Unmarked"), "");
    EXPECT_FALSE(fs::exists(temp.File("outside"))) << "nothing is made beside the root";
}

TEST_F(DatabaseCommandsTest, ConvertRenameAndDelete) {
    Expect({{"create", {"create", "Beta"}, 0}, {"create", {"create", "alpha", "--compressed"}, 0}});
    std::string catalog;
    std::mt19937 random(7);
    while (catalog.size() < 900000)
        catalog += "0123456789abcdef "[random() % 17];
    WriteFile(root + "/Beta/Disk!007.txt", catalog);
    WriteFile(root + "/Beta/Empty!1.txt", "");
    Expect({{"compress", {"compress", "Beta"}, 0, "", ""}});
    EXPECT_EQ(Names(root + "/Beta"), "Disk!007.txt.bz2 Empty!1.txt.bz2 VLR_ZIP");
    EXPECT_TRUE(test::Bunzip2(root + "/Beta/Disk!007.txt.bz2") == catalog)
        << "bzip2 reads a converted catalog";
    Expect({{"decompress", {"decompress", "Beta"}, 0, "", ""}});
    EXPECT_TRUE(ReadFile(root + "/Beta/Disk!007.txt") == catalog) << "round trip keeps the bytes";
    EXPECT_EQ(Names(root + "/Beta"), "Disk!007.txt Empty!1.txt VLR_STD");

    WriteFile(root + "/alpha/Bad!1.txt.bz2", "BZh1 damaged");
    Expect(
        {{"a damaged catalog", {"decompress", "alpha"}, 1, "", "Bad!1.txt.bz2: BZ_DATA_ERROR."}});
    EXPECT_EQ(Names(root + "/alpha"), "Bad!1.txt.bz2 VLR_ZIP") << "a failed conversion keeps it";

    Expect({
        {"rename-db", {"rename-db", "Beta", "Beta2"}, 0, "", ""},
        {"rename onto an existing name",
         {"rename-db", "Beta2", "alpha"},
         1,
         "",
         "Error renaming database."},
        {"after renaming", {"databases"}, 0, "alpha\tY\nBeta2\tN\n"},
    });
    WriteFile(root + "/alpha/.keep", "");
    Expect({{"delete-db", {"delete-db", "alpha"}, 0, "", ""}});
    EXPECT_EQ(Names(root + "/alpha"), ".keep") << "a hidden file keeps the directory";
    Expect({{"delete-db", {"delete-db", "Beta2"}, 0, "", ""}});
    EXPECT_FALSE(fs::exists(root + "/Beta2"));
    Expect({
        {"nothing left", {"databases"}, 0, ""},
        {"compress Missing", {"compress", "Missing"}, 1, "", NoDatabase},
        {"decompress Missing", {"decompress", "Missing"}, 1, "", NoDatabase},
        {"delete-db Missing", {"delete-db", "Missing"}, 1, "", NoDatabase},
        {"rename-db Missing", {"rename-db", "Missing", "New"}, 1, "", NoDatabase},
    });
}

// Every name a command is given passes one rule, old names as new ones, and
// nothing outside the root is touched, through a symbolic link or otherwise.
TEST_F(DatabaseCommandsTest, HostileNamesReachNothingOutsideTheRoot) {
    const std::string outside = temp.File("outside");
    fs::create_directories(outside);
    WriteFile(outside + "/victim!1.txt", "keep");
    WriteFile(outside + "/VLR_STD", "Quillory v1.0\r\n");
    fs::create_directories(root + "/notadb");
    WriteFile(root + "/notadb/file.txt", "keep");
    fs::create_directory_symlink(outside, root + "/link");
    Expect({{"create", {"create", "Db"}, 0}});
    const auto before = test::Snapshot(temp.Path());
    const std::string hidden =
        "Disk names cannot begin with \".\". Please revise the disk name and retry.";
    const std::string separator = "Disk names cannot include \"/\", \"\\\" or control "
                                  "characters. Please revise the disk name and retry.";
    Expect({
        {"an old name reaching out",
         {"delete-catalog", "--db", "Db", "1", "../../outside/victim"},
         1,
         "",
         separator},
        {"a rename from outside",
         {"rename-catalog", "--db", "Db", "1", "../../outside/victim", "2", "x"},
         1,
         "",
         separator},
        {"a hidden catalog",
         {"scan", "--db", "Db", "--number", "1", "--name", ".x", root},
         1,
         "",
         hidden},
        {"..", {"scan", "--db", "Db", "--number", "1", "--name", "..", root}, 1, "", hidden},
        {"no marker", {"delete-db", "notadb"}, 1, "", "There is no database named notadb."},
        {"no marker", {"compress", "notadb"}, 1, "", "There is no database named notadb."},
        {"a link", {"delete-db", "link"}, 1, "", "There is no database named link."},
        {"a link", {"decompress", "link"}, 1, "", "There is no database named link."},
        {"a link", {"rename-db", "link", "moved"}, 1, "", "There is no database named link."},
        {"a link",
         {"delete-catalog", "--db", "link", "1", "victim"},
         1,
         "",
         "There is no database named link."},
        {"a hidden database", {"create", ".hidden"}, 1},
        {"a link is no database", {"databases"}, 0, "Db\tN\n"},
    });
    EXPECT_EQ(test::Snapshot(temp.Path()), before);
}

// Storage that refuses a change: the command changes nothing, says why and
// exits 1. Mounting needs root; without it the test says so.
TEST_F(DatabaseCommandsTest, StorageThatRefusesChangesNothingAndSaysSo) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a read-only or a small file system needs root";
    const std::string disk = temp.File("disk");
    fs::create_directories(disk);
    WriteFile(disk + "/a.txt", "a");
    Expect({{"create", {"create", "Db"}, 0},
            {"scan", {"scan", "--db", "Db", "--number", "1", "--name", "Disk", disk}, 0}});
    {
        const test::ScratchMount bound(root, root);
        ASSERT_TRUE(bound.Mounted());
        ASSERT_EQ(
            ::mount(nullptr, root.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);
        const auto before = test::Snapshot(root);
        for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
                 {"delete-catalog", "--db", "Db", "1", "Disk"},
                 {"rename-catalog", "--db", "Db", "1", "Disk", "2", "New"},
                 {"scan", "--db", "Db", "--number", "1", "--name", "Disk", disk},
                 {"compress", "Db"},
                 {"delete-db", "Db"},
                 {"create", "Other"}}) {
            const test::Outcome outcome = Run(arguments);
            EXPECT_EQ(outcome.Status, 1) << arguments[0];
            EXPECT_FALSE(outcome.Err.empty()) << arguments[0];
        }
        EXPECT_EQ(Run({"find", "--db", "Db"}).Status, 0) << "read-only media are still read";
        EXPECT_EQ(test::Snapshot(root), before);
    }
    // A disk that fills up: the scan fails naming the catalog, the old one stays.
    const std::string small = temp.File("small");
    fs::create_directories(small);
    const test::ScratchMount tmpfs(small);
    ASSERT_TRUE(tmpfs.Mounted());
    Expect({{"create", {"--root", small, "create", "Db"}, 0},
            {"scan", {"--root", small, "scan", "--db", "Db", "--number", "1", disk}, 0}},
           false);
    const std::string old = ReadFile(small + "/Db/Default!1.txt");
    const test::TempDir big("/dev/shm");
    for (int i = 0; i < 1500; ++i)
        WriteFile(big.File("file-" + std::to_string(i) + std::string(200, 'x')), "");
    WriteFile(small + "/filler", std::string(700 * 1024, 'x'));
    Expect({{"a full disk",
             {"--root", small, "scan", "--db", "Db", "--number", "1", big.Path()},
             1,
             "",
             "Cannot write file " + small + "/Db/Default!1.txt."}},
           false);
    EXPECT_EQ(ReadFile(small + "/Db/Default!1.txt"), old);
    EXPECT_EQ(Names(small + "/Db"), "Default!1.txt VLR_STD");
}

} // namespace
} // namespace quillory
