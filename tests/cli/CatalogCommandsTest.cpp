#include "cli/CommandLineHarness.h"
#include "store/DatabaseLock.h"

namespace quillory {
namespace {

using test::Case;
using test::Names;
using test::ReadFile;
using test::WriteFile;

const std::string NumberMessage =
    "Integer values must be used for disk numbers. Please revise the disk number and retry.";
const std::string BangMessage =
    "Disk names cannot include the \"!\" symbol. Please revise the disk name and retry.";

class CatalogCommandsTest : public test::CommandLineTest {
protected:
    std::string disk = temp.File("disk");

    CatalogCommandsTest() {
        std::filesystem::create_directories(disk + "/docs");
        WriteFile(disk + "/docs/a.doc", "hello");
        test::SetTime(disk + "/docs/a.doc", 1047031447); // 7/3/2003 10:04:07
        test::SetTime(disk + "/docs", 1047031447);
        Expect({{"create", {"create", "Plain"}, 0},
                {"create", {"create", "Packed", "--compressed"}, 0}});
    }
};

TEST_F(CatalogCommandsTest, ScanWritesTheCatalogAndPrintsItsName) {
    const std::string top = test::DirectoryLine(disk);
    const std::string expected = "F\r\na.doc\r\n" + top +
                                 "docs\\\r\n7/3/2003\r\n10:04:06\r\n5\r\n"
                                 "-----\r\nD\r\ndocs\r\n" +
                                 top +
                                 "\r\n7/3/2003\r\n10:04:06\r\n"
                                 "0\r\n-----\r\n";
    Expect({{"scan",
             {"scan", "--db", "Plain", "--number", "7", "--name", "Disk", disk},
             0,
             "Disk!7.txt\n",
             ""}});
    EXPECT_EQ(ReadFile(root + "/Plain/Disk!7.txt"), expected);
    Expect({{"rescan", {"scan", "--db", "Plain", "--number", "7", "--name", "Disk", disk}, 0}});
    EXPECT_EQ(ReadFile(root + "/Plain/Disk!7.txt"), expected) << "a rescan writes the same bytes";
    EXPECT_EQ(Names(root + "/Plain"), "Disk!7.txt VLR_STD") << "a rescan replaces the catalog";

    Expect({{"compressed scan",
             {"scan", "--db", "Packed", "--number", "7", "--name", "Disk", disk},
             0,
             "Disk!7.txt.bz2\n"}});
    EXPECT_EQ(Names(root + "/Packed"), "Disk!7.txt.bz2 VLR_ZIP");
    EXPECT_EQ(test::Bunzip2(root + "/Packed/Disk!7.txt.bz2"), expected)
        << "the compressed catalog unpacks to the plain one";
    Expect({{"--label below a mount point",
             {"scan", "--db", "Plain", "--number", "8", "--label", disk},
             0,
             "Default!8.txt\n"}});
    WriteSettings("[General]\nInputDir=" + disk +
                  "/\nPrintCols=\" 30  30  15   4  10  23\"\n"
                  "PrintColsEnabled=\"1 1 1 1 1 1\"\n");
    Expect({
        {"no path scans InputDir, no name is Default",
         {"scan", "--db", "Plain", "--number", "10"},
         0,
         "Default!10.txt\n"},
        {"catalogs by number",
         {"catalogs", "--db", "Plain"},
         0,
         "7\tDisk\n8\tDefault\n10\tDefault\n"},
        {"number not an integer",
         {"scan", "--db", "Plain", "--number", "x", disk},
         1,
         "",
         NumberMessage},
        {"empty number", {"scan", "--db", "Plain", "--number", "", disk}, 1, "", NumberMessage},
        {"name with !",
         {"scan", "--db", "Plain", "--number", "1", "--name", "a!b", disk},
         1,
         "",
         BangMessage},
        {"name with /",
         {"scan", "--db", "Plain", "--number", "1", "--name", "../a", disk},
         1,
         "",
         "Disk names cannot include \"/\", \"\\\" or control characters. Please revise the disk "
         "name and retry."},
        {"missing disk",
         {"scan", "--db", "Plain", "--number", "1", temp.File("missing")},
         1,
         "",
         "Disk not available to scan. Please retry."},
        {"unknown database",
         {"scan", "--db", "Nope", "--number", "1", disk},
         1,
         "",
         "There is no database named Nope."},
    });
    EXPECT_EQ(Names(root + "/Plain"), "Default!10.txt Default!8.txt Disk!7.txt VLR_STD")
        << "refused scans wrote nothing";

    Expect({
        {"rename onto an existing catalog",
         {"rename-catalog", "--db", "Plain", "7", "Disk", "8", "Default"},
         1,
         "",
         "Error renaming catalog."},
        {"rename to a name with !",
         {"rename-catalog", "--db", "Plain", "7", "Disk", "9", "a!b"},
         1,
         "",
         BangMessage},
    });
    EXPECT_EQ(ReadFile(root + "/Plain/Disk!7.txt"), expected) << "a refused rename keeps it";
    Expect({{"rename", {"rename-catalog", "--db", "Plain", "7", "Disk", "9", "Nine"}, 0, "", ""}});
    EXPECT_EQ(Names(root + "/Plain"), "Default!10.txt Default!8.txt Nine!9.txt VLR_STD");
    Expect({
        {"delete", {"delete-catalog", "--db", "Plain", "9", "Nine"}, 0, "", ""},
        {"delete a missing catalog",
         {"delete-catalog", "--db", "Plain", "9", "Nine"},
         1,
         "",
         "There is no catalog " + root + "/Plain/Nine!9.txt."},
        {"delete in a compressed database", {"delete-catalog", "--db", "Packed", "7", "Disk"}, 0},
    });
    EXPECT_EQ(Names(root + "/Packed"), "VLR_ZIP");
}

TEST_F(CatalogCommandsTest, AWriterSaysItWaitsForAnotherThenGivesUp) {
    SetLockWaiting({std::chrono::milliseconds(100), {}});
    const std::string database = root + "/Plain/";
    {
        const DatabaseLock other(database, LockKind::Exclusive);
        const test::Outcome outcome = Run({"scan", "--db", "Plain", "--number", "1", disk});
        EXPECT_EQ(outcome.Status, 1);
        EXPECT_EQ(outcome.Err,
                  "quillory-cli: waiting for another command to finish with the database " +
                      database + "\nThe database " + database +
                      " is in use by another command. Please retry when it has finished.\n");
    }
    EXPECT_EQ(Run({"scan", "--db", "Plain", "--number", "1", disk}).Status, 0);
    SetLockWaiting({});
}

} // namespace
} // namespace quillory
