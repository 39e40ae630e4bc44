#include "scan/CatalogList.h"

#include "common/Messages.h"
#include "common/SortState.h"
#include "support/DirectorySnapshot.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unicode/uloc.h>

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::ErrorText;
using test::ReadFile;
using test::Snapshot;
using test::WriteFile;

std::vector<std::string> Column(const std::vector<CatalogName>& rows, int key) {
    std::vector<std::string> texts;
    for (const CatalogName& row : rows)
        texts.push_back(key == NumberColumn ? row.DiskNumber : row.DiskName);
    return texts;
}

std::vector<CatalogName> Numbered(std::initializer_list<const char*> numbers) {
    std::vector<CatalogName> rows;
    for (const char* number : numbers)
        rows.push_back({"Disk", number});
    return rows;
}

class CatalogListTest : public ::testing::Test {
protected:
    test::TempDir temp;
    OpenDatabase database;

    void SetUp() override { database.Path = temp.Path() + "/"; }

    std::string In(const std::string& name) const { return temp.File(name); }
};

TEST_F(CatalogListTest, ListsTheCatalogsOfTheDatabasesFormAndProposesTheNextNumber) {
    for (const char* name : {"Alpha!3.txt", "beta!10.txt", ".quillory-x!99.txt.part", "notes.doc",
                             "Packed!5.txt.bz2", "VLR_STD"})
        WriteFile(In(name), "");
    std::vector<CatalogName> rows = ListCatalogNames(database);
    SortCatalogNames(rows, NumberColumn, true);
    EXPECT_EQ(Column(rows, NumberColumn), (std::vector<std::string>{"3", "10"}));
    EXPECT_EQ(Column(rows, NameColumn), (std::vector<std::string>{"Alpha", "beta"}));
    EXPECT_EQ(NextDiskNumber(rows), 11);

    // The marker, not the remembered form, says which files are catalogs.
    fs::rename(In("VLR_STD"), In("VLR_ZIP"));
    rows = ListCatalogNames(database);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].DiskNumber, "5");
    EXPECT_EQ(rows[0].DiskName, "Packed");

    EXPECT_EQ(NextDiskNumber({}), 0);
    EXPECT_EQ(NextDiskNumber(Numbered({"007", "-4"})), 8);
    EXPECT_EQ(ErrorText([] {
                  NextDiskNumber(Numbered({"1", "x"}));
              }),
              "'x' is not a valid integer value");
}

TEST(CatalogSortTest, NumbersByValueAndNamesIgnoringCase) {
    // The order people expect comes from the locale; the C locale would give
    // the code-point order.
    UErrorCode status = U_ZERO_ERROR;
    uloc_setDefault("en_US", &status);
    std::vector<CatalogName> rows = Numbered({"10", "x", "3", "-2", "007"});
    SortCatalogNames(rows, NumberColumn, true);
    EXPECT_EQ(Column(rows, NumberColumn), (std::vector<std::string>{"-2", "3", "007", "10", "x"}));
    SortCatalogNames(rows, NumberColumn, false);
    EXPECT_EQ(Column(rows, NumberColumn), (std::vector<std::string>{"10", "007", "3", "-2", "x"}));

    rows = {{"beta", "1"}, {"Banana", "2"}, {"Alpha", "3"}, {"apple", "4"}};
    SortCatalogNames(rows, NameColumn, true);
    EXPECT_EQ(Column(rows, NameColumn),
              (std::vector<std::string>{"Alpha", "apple", "Banana", "beta"}));
    SortCatalogNames(rows, NameColumn, false);
    EXPECT_EQ(Column(rows, NameColumn),
              (std::vector<std::string>{"beta", "Banana", "apple", "Alpha"}));
}

TEST(CatalogSortTest, HeaderClicksFollowTheClickRule) {
    int state = NumberColumn; // as the program starts
    auto click = [&state](int key) {
        const SortOrder order = HeaderClick(state, key);
        EXPECT_EQ(order.Key, key);
        return std::pair(order.Ascending, state);
    };
    EXPECT_EQ(click(NumberColumn), std::pair(false, -1)); // the list is ascending already
    EXPECT_EQ(click(NameColumn), std::pair(true, 2));
    EXPECT_EQ(click(NameColumn), std::pair(false, -2));
    EXPECT_EQ(click(NameColumn), std::pair(true, 2));
    EXPECT_EQ(click(NameColumn), std::pair(false, -2));
    EXPECT_EQ(click(NumberColumn), std::pair(true, 1));
    EXPECT_EQ(CurrentOrder(-2).Key, 2);
    EXPECT_FALSE(CurrentOrder(-2).Ascending);
    EXPECT_TRUE(CurrentOrder(1).Ascending);
    state = 0;
    EXPECT_EQ(click(NumberColumn), std::pair(true, 1));
}

TEST_F(CatalogListTest, RenameRefusesBadNamesAndNeverReplacesACatalog) {
    WriteFile(In("A!3.txt"), "three");
    WriteFile(In("B!4.txt"), "four");
    const auto before = Snapshot(temp.Path());
    const std::vector<std::pair<CatalogName, std::string>> refused = {
        {{"B", "4"}, msg::ErrorRenamingCatalog}, {{"C", ""}, msg::ErrorRenamingCatalog},
        {{"", "5"}, msg::ErrorRenamingCatalog},  {{"C", "x"}, msg::DiskNumberNotInteger},
        {{"C!D", "5"}, msg::DiskNameWithBang},   {{"../C", "5"}, msg::DiskNameWithSeparator},
    };
    for (const auto& [to, message] : refused)
        EXPECT_EQ(ErrorText([&] {
                      RenameCatalog(database, {"A", "3"}, to);
                  }),
                  message)
            << to.DiskNumber << " " << to.DiskName;
    EXPECT_EQ(ErrorText([&] {
                  RenameCatalog(database, {"Gone", "9"}, {"New", "10"});
              }),
              msg::ErrorRenamingCatalog);
    EXPECT_EQ(Snapshot(temp.Path()), before);

    RenameCatalog(database, {"A", "3"}, {"C", "007"});
    EXPECT_EQ(ReadFile(In("C!007.txt")), "three");
    EXPECT_FALSE(fs::exists(In("A!3.txt")));
}

TEST_F(CatalogListTest, CompressedDatabaseRenamesAndDeletesTheTxtBz2) {
    database.Compressed = true;
    WriteFile(In("A!3.txt.bz2"), "packed");
    WriteFile(In("A!3.txt"), "stray plain file");
    RenameCatalog(database, {"A", "3"}, {"B", "4"});
    EXPECT_EQ(ReadFile(In("B!4.txt.bz2")), "packed");
    EXPECT_EQ(CatalogPath(database, {"B", "4"}), In("B!4.txt.bz2"));

    DeleteCatalog(database, {"B", "4"});
    EXPECT_EQ(ErrorText([&] {
                  DeleteCatalog(database, {"Gone", "9"});
              }),
              "There is no catalog " + In("Gone!9.txt.bz2"));
    EXPECT_FALSE(fs::exists(In("B!4.txt.bz2")));
    EXPECT_TRUE(fs::exists(In("A!3.txt")));

    database.Compressed = false;
    DeleteCatalog(database, {"A", "3"});
    EXPECT_FALSE(fs::exists(In("A!3.txt")));
}

} // namespace
} // namespace quillory
