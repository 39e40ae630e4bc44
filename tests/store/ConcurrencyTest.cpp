// Commands that meet: two at once on one database, as two processes or a
// window and the command line would run them. Each holds the database for its
// run, so the outcome is that of one after the other, in either order.
#include "common/FileOperations.h"
#include "common/Messages.h"
#include "scan/CatalogList.h"
#include "scan/ScanCD.h"
#include "search/FindFile.h"
#include "search/ListViewData.h"
#include "store/CatalogReader.h"
#include "store/CompressionMode.h"
#include "store/Database.h"
#include "store/DatabaseLock.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::ErrorText;
using test::ReadFile;
using test::WriteFile;

class ConcurrencyTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(root); }
    void TearDown() override { SetLockWaiting({}); }

    // A tree of `files` files under `name`.
    std::string Disk(const std::string& name, int files) const {
        const std::string disk = temp.File(name) + "/";
        fs::create_directories(disk + "sub");
        for (int i = 0; i < files; ++i)
            WriteFile(disk + (i % 2 ? "sub/" : "") + name + std::to_string(i), "x");
        return disk;
    }

    // A database of `catalogs` catalogs scanned from one disk.
    OpenDatabase Database(const std::string& name, bool compressed, int catalogs) const {
        const OpenDatabase database = OpenOrCreateDatabase(root, name, compressed);
        const std::string disk = Disk("source", 300);
        for (int i = 0; i < catalogs; ++i)
            ScanCD(database, disk, {"Disk", std::to_string(i)}, {});
        return database;
    }

    // Every row of a search of everything, sorted (rows equal by name may
    // come in any order).
    static std::vector<ResultRow> Everything(const OpenDatabase& database) {
        const ResultList list = FindFile(database, CatalogScope::EveryCatalog(), SearchCriteria());
        std::vector<ResultRow> rows;
        for (std::size_t i = 0; i < list.Size(); ++i)
            rows.push_back(ResultListRows(list).Row(i));
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    test::TempDir temp{"/dev/shm"};
    std::string root = temp.File("root/");
};

TEST_F(ConcurrencyTest, AWriterWaitsForTheHolderThenGivesUpWithAClearMessage) {
    const OpenDatabase database = Database("Db", false, 1);
    const std::string disk = Disk("disk", 3);
    int told = 0;
    SetLockWaiting({std::chrono::milliseconds(200), [&](const std::string&) { ++told; }});
    {
        const DatabaseLock holder(database.Path, LockKind::Exclusive);
        EXPECT_EQ(ErrorText([&] {
                      ScanCD(database, disk, {"Disk", "5"}, {});
                  }),
                  "The database " + database.Path +
                      " is in use by another command. Please retry when it has finished");
        EXPECT_EQ(told, 1);
    }
    {
        // Readers share; a writer waits for them too.
        const DatabaseLock reader(database.Path, LockKind::Shared);
        EXPECT_EQ(ListCatalogNames(database).size(), 1u);
        EXPECT_NE(ErrorText([&] { DeleteCatalog(database, {"Disk", "0"}); }), "");
    }
    // Where the file system refuses locks, a reader goes on and a writer is refused.
    InjectFault(InjectedFault{FileOperation::Lock, 1, ENOLCK});
    EXPECT_EQ(ListCatalogNames(database).size(), 1u);
    InjectFault(InjectedFault{FileOperation::Lock, 1, ENOLCK});
    EXPECT_EQ(ErrorText([&] {
                  DeleteCatalog(database, {"Disk", "0"});
              }),
              "The database " + database.Path +
                  " cannot be locked against other commands, so it is not changed");
    InjectFault(std::nullopt);
    EXPECT_EQ(ListCatalogNames(database).size(), 1u);
}

TEST_F(ConcurrencyTest, TwoScansOfOneCatalogGiveOneOfTheTwoWhole) {
    const OpenDatabase database = OpenOrCreateDatabase(root, "Db", false);
    const std::string a = Disk("a", 300);
    const std::string b = Disk("b", 500);
    std::vector<std::string> expected;
    for (const std::string& disk : {a, b}) {
        ScanCD(database, disk, {"Disk", "1"}, {});
        expected.push_back(ReadFile(database.Path + "Disk!1.txt"));
    }
    for (int trial = 0; trial < 10; ++trial) {
        std::jthread first([&] { ScanCD(database, a, {"Disk", "1"}, {}); });
        std::jthread second([&] { ScanCD(database, b, {"Disk", "1"}, {}); });
        first.join();
        second.join();
        const std::string catalog = ReadFile(database.Path + "Disk!1.txt");
        EXPECT_TRUE(catalog == expected[0] || catalog == expected[1]) << trial;
        EXPECT_EQ(std::distance(fs::directory_iterator(database.Path), fs::directory_iterator()),
                  2); // the marker and the catalog: no hidden file is left
    }
}

TEST_F(ConcurrencyTest, AScanDuringAConversionStoresItsCatalogInTheNewForm) {
    const std::string disk = Disk("disk", 3);
    for (int trial = 0; trial < 5; ++trial) {
        const OpenDatabase database = Database("Db" + std::to_string(trial), false, 12);
        std::jthread conversion([&] { CompressDirectory(database.Path); });
        std::this_thread::sleep_for(std::chrono::milliseconds(trial));
        // The window still takes the database for plain; the marker decides.
        ScanCD(database, disk, {"New", "99"}, {});
        conversion.join();
        EXPECT_EQ(MarkedCompressed(database.Path), true);
        EXPECT_EQ(ListCatalogNames(database).size(), 13u) << trial;
        EXPECT_TRUE(ListCatalogFiles(database.Path, false).empty()) << trial;
    }
}

TEST_F(ConcurrencyTest, TwoConversionsAndASearchMeetWithoutLoss) {
    const OpenDatabase database = Database("Db", true, 10);
    const std::vector<ResultRow> rows = Everything(database);
    ASSERT_EQ(rows.size(), 10u * 301);
    for (int trial = 0; trial < 4; ++trial) {
        std::vector<ResultRow> seen;
        {
            std::jthread decompress([&] { DecompressDirectory(database.Path); });
            std::jthread compress([&] { CompressDirectory(database.Path); });
            std::jthread search([&] { seen = Everything(database); });
        }
        EXPECT_TRUE(seen == rows) << trial << ": " << seen.size() << " rows";
        EXPECT_TRUE(Everything(database) == rows) << trial;
        const bool compressed = MarkedCompressed(database.Path).value();
        EXPECT_EQ(ListCatalogFiles(database.Path, compressed).size(), 10u);
        EXPECT_TRUE(ListCatalogFiles(database.Path, !compressed).empty());
    }
}

} // namespace
} // namespace quillory
