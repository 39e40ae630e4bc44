#include "common/FileOperations.h"
#include "output/CsvExport.h"
#include "output/CsvLine.h"
#include "search/ListViewData.h"
#include "search/ResultList.h"
#include "support/DirectorySnapshot.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace quillory {
namespace {

using test::ErrorText;
using test::ReadFile;
using test::WriteFile;

std::string CsvLine(const ResultRow& cells) {
    std::string line = "kept";
    AppendCsvLine(cells, line);
    EXPECT_EQ(line.substr(0, 4), "kept");
    return line.substr(4);
}

const ResultRow Readme = {"readme.txt", "\\docs\\", "Backup",
                          "3",          "1024",     "5/3/2003       10:04:00"};

TEST(CsvTest, LinesKeepEveryCellAsShown) {
    EXPECT_EQ(CsvLine(Readme),
              "readme.txt, \\docs\\, Backup, 3, 1024, 5/3/2003       ,10:04:00\r\n");
    ResultRow row = Readme;
    row[5] = "15/12/2003    10:04:00";
    EXPECT_EQ(CsvLine(row), "readme.txt, \\docs\\, Backup, 3, 1024, 15/12/2003    ,10:04:00\r\n");
    row[0] = "a, b.txt";
    row[2] = " Disk ";
    EXPECT_EQ(CsvLine(row), "a, b.txt, \\docs\\,  Disk , 3, 1024, 15/12/2003    ,10:04:00\r\n");
    EXPECT_EQ(CsvLine(ResultRow{}), ", , , , , ,\r\n");
    // A cell shorter than a time (an empty date and time) is all "time".
    row[5] = "    ";
    EXPECT_EQ(CsvLine(row), "a, b.txt, \\docs\\,  Disk , 3, 1024, ,    \r\n");
}

class CsvExportTest : public ::testing::Test {
protected:
    CsvExportTest() {
        list.BeginCatalog("Backup", "3");
        list.Append("readme.txt", "\\docs\\", "1024", "5/3/2003", "10:04:00", "F");
        list.Append("a, b.txt", "\\", "9", "15/12/2003", "23:59:59", "F");
        list.Append("big.iso", "\\iso\\", "700000000", "1/10/2003", "00:00:01", "F");
    }

    ResultList list;
    ResultListRows rows{list};
    test::TempDir temp;
};

TEST_F(CsvExportTest, WritesTheRowsInListOrderAndReplacesTheFile) {
    const std::string path = temp.File("out.csv");
    WriteFile(path, std::string(10000, 'x'));
    list.Sort(ResultKey::Size, false);
    ExportCsv(rows, list.Size(), path);
    EXPECT_EQ(ReadFile(path), "big.iso, \\iso\\, Backup, 3, 700000000, 1/10/2003     ,00:00:01\r\n"
                              "readme.txt, \\docs\\, Backup, 3, 1024, 5/3/2003       ,10:04:00\r\n"
                              "a, b.txt, \\, Backup, 3, 9, 15/12/2003    ,23:59:59\r\n");
    // The count limits the rows; none gives an empty file.
    ExportCsv(rows, 1, path);
    EXPECT_EQ(ReadFile(path), CsvLine(ResultListRows(list).Row(0)));
    ExportCsv(rows, 0, path);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(ReadFile(path), "");
}

TEST_F(CsvExportTest, LargeExportsArriveWhole) {
    // Enough rows for several buffered writes.
    ResultList large;
    large.BeginCatalog("Disk", "1");
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        const std::string name = "file" + std::to_string(i) + std::string(i % 50, 'n');
        large.Append(name, "\\dir\\", std::to_string(i), "1/1/2003", "00:00:00", "F");
        expected += CsvLine(ResultListRows(large).Row(large.Size() - 1));
    }
    const std::string path = temp.File("large.csv");
    ExportCsv(ResultListRows(large), large.Size(), path);
    EXPECT_GT(expected.size(), 3u * 65536);
    EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(CsvExportTest, FailuresCarryTheSystemsDescription) {
    EXPECT_EQ(ErrorText([&] { ExportCsv(rows, list.Size(), "/dev/full"); }),
              "No space left on device");
    EXPECT_EQ(ErrorText([&] { ExportCsv(rows, list.Size(), temp.File("missing/out.csv")); }),
              "No such file or directory");
    EXPECT_EQ(ErrorText([&] { ExportCsv(rows, list.Size(), temp.Path()); }), "Is a directory");
    EXPECT_FALSE(std::filesystem::exists(temp.File("missing")));
}

TEST_F(CsvExportTest, AFailedExportLeavesTheOldFileAndNothingElse) {
    const std::string path = temp.File("out.csv");
    WriteFile(path, "old list\r\n");
    const auto before = test::Snapshot(temp.Path());
    for (const FileOperation failing :
         {FileOperation::Write, FileOperation::Sync, FileOperation::Rename}) {
        InjectFault(InjectedFault{failing, 1, ENOSPC});
        EXPECT_EQ(ErrorText([&] { ExportCsv(rows, list.Size(), path); }),
                  "No space left on device");
        InjectFault(std::nullopt);
        EXPECT_EQ(test::Snapshot(temp.Path()), before) << static_cast<int>(failing);
    }
}

TEST_F(CsvExportTest, ASymbolicLinkKeepsLeadingToTheNewList) {
    std::filesystem::create_directory(temp.File("lists"));
    WriteFile(temp.File("lists/real.csv"), "old list\r\n");
    std::filesystem::create_symlink("lists/real.csv", temp.File("link.csv"));
    ExportCsv(rows, 1, temp.File("link.csv"));
    EXPECT_TRUE(std::filesystem::is_symlink(temp.File("link.csv")));
    EXPECT_EQ(ReadFile(temp.File("lists/real.csv")), CsvLine(ResultListRows(list).Row(0)));
    EXPECT_EQ(test::Snapshot(temp.File("lists")).size(), 1u);
}

} // namespace
} // namespace quillory
