#include "cli/CommandLineHarness.h"

#include <random>

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
    Expect({{"a damaged catalog", {"decompress", "alpha"}, 1, "", "BZ_DATA_ERROR."}});
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

} // namespace
} // namespace quillory
