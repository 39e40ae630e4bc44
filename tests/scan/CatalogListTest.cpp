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

std::vector<std::string> Column(const std::vector<CatalogRow>& rows, int key) {
    std::vector<std::string> texts;
    for (const CatalogRow& row : rows)
        texts.push_back(key == NumberColumn ? row.Number : row.Name);
    return texts;
}

std::vector<CatalogRow> Numbered(std::initializer_list<const char*> numbers) {
    std::vector<CatalogRow> rows;
    for (const char* number : numbers)
        rows.push_back({number, "Disk"});
    return rows;
}

class CatalogListTest : public ::testing::Test {
protected:
    test::TempDir temp;
    Settings settings;

    void SetUp() override { settings.OpenDBPath = temp.Path() + "/"; }

    std::string In(const std::string& name) const { return temp.File(name); }
};

TEST_F(CatalogListTest, ListsTheCatalogsOfTheDatabasesFormAndProposesTheNextNumber) {
    for (const char* name : {"Alpha!3.txt", "beta!10.txt", ".quillory-x!99.txt.part", "notes.doc",
                             "Packed!5.txt.bz2", "VLR_STD"})
        WriteFile(In(name), "");
    std::vector<CatalogRow> rows = ListCatalogRows(settings);
    SortCatalogRows(rows, NumberColumn, true);
    EXPECT_EQ(Column(rows, NumberColumn), (std::vector<std::string>{"3", "10"}));
    EXPECT_EQ(Column(rows, NameColumn), (std::vector<std::string>{"Alpha", "beta"}));
    EXPECT_EQ(NextDiskNumber(rows), 11);

    settings.OpenDBCompressed = true;
    rows = ListCatalogRows(settings);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Number, "5");
    EXPECT_EQ(rows[0].Name, "Packed");

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
    std::vector<CatalogRow> rows = Numbered({"10", "x", "3", "-2", "007"});
    SortCatalogRows(rows, NumberColumn, true);
    EXPECT_EQ(Column(rows, NumberColumn), (std::vector<std::string>{"-2", "3", "007", "10", "x"}));
    SortCatalogRows(rows, NumberColumn, false);
    EXPECT_EQ(Column(rows, NumberColumn), (std::vector<std::string>{"10", "007", "3", "-2", "x"}));

    rows = {{"1", "beta"}, {"2", "Banana"}, {"3", "Alpha"}, {"4", "apple"}};
    SortCatalogRows(rows, NameColumn, true);
    EXPECT_EQ(Column(rows, NameColumn),
              (std::vector<std::string>{"Alpha", "apple", "Banana", "beta"}));
    SortCatalogRows(rows, NameColumn, false);
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

TEST(CatalogCheckTest, NumbersMustBeIntegersAndNamesMustStayInTheDatabase) {
    for (const char* number : {"", "x", "1.5", "7 ", "99999999999"})
        EXPECT_EQ(ErrorText([&] { CheckDiskNumber(number); }), msg::DiskNumberNotInteger) << number;
    for (const char* number : {"0", "007", "-3", " 12", "$1F"})
        EXPECT_EQ(ErrorText([&] { CheckDiskNumber(number); }), "") << number;

    EXPECT_EQ(ErrorText([] { CheckDiskName("Best!Of"); }), msg::DiskNameWithBang);
    for (const char* name : {"a/b", "a\\b", "tab\there", "new\nline", "del\x7f", "..\\up"})
        EXPECT_EQ(ErrorText([&] { CheckDiskName(name); }), msg::DiskNameWithSeparator) << name;
    for (const char* name : {"", "Backup March", "..", "Gr\xc3\xbc\xc3\x9f"})
        EXPECT_EQ(ErrorText([&] { CheckDiskName(name); }), "") << name;
}

TEST_F(CatalogListTest, RenameRefusesBadNamesAndNeverReplacesACatalog) {
    WriteFile(In("A!3.txt"), "three");
    WriteFile(In("B!4.txt"), "four");
    const auto before = Snapshot(temp.Path());
    const std::vector<std::pair<CatalogRow, std::string>> refused = {
        {{"4", "B"}, msg::ErrorRenamingCatalog}, {{"", "C"}, msg::ErrorRenamingCatalog},
        {{"5", ""}, msg::ErrorRenamingCatalog},  {{"x", "C"}, msg::DiskNumberNotInteger},
        {{"5", "C!D"}, msg::DiskNameWithBang},   {{"5", "../C"}, msg::DiskNameWithSeparator},
    };
    for (const auto& [to, message] : refused)
        EXPECT_EQ(ErrorText([&] {
                      RenameCatalog(settings, {"3", "A"}, to);
                  }),
                  message)
            << to.Number << " " << to.Name;
    EXPECT_EQ(ErrorText([&] {
                  RenameCatalog(settings, {"9", "Gone"}, {"10", "New"});
              }),
              msg::ErrorRenamingCatalog);
    EXPECT_EQ(Snapshot(temp.Path()), before);

    RenameCatalog(settings, {"3", "A"}, {"007", "C"});
    EXPECT_EQ(ReadFile(In("C!007.txt")), "three");
    EXPECT_FALSE(fs::exists(In("A!3.txt")));
}

TEST_F(CatalogListTest, CompressedDatabaseRenamesAndDeletesTheTxtBz2) {
    settings.OpenDBCompressed = true;
    WriteFile(In("A!3.txt.bz2"), "packed");
    WriteFile(In("A!3.txt"), "stray plain file");
    RenameCatalog(settings, {"3", "A"}, {"4", "B"});
    EXPECT_EQ(ReadFile(In("B!4.txt.bz2")), "packed");
    EXPECT_EQ(CatalogPath(settings, {"4", "B"}), In("B!4.txt.bz2"));

    DeleteCatalog(settings, {"4", "B"});
    DeleteCatalog(settings, {"9", "Gone"});
    EXPECT_FALSE(fs::exists(In("B!4.txt.bz2")));
    EXPECT_TRUE(fs::exists(In("A!3.txt")));

    settings.OpenDBCompressed = false;
    DeleteCatalog(settings, {"3", "A"});
    EXPECT_FALSE(fs::exists(In("A!3.txt")));
}

} // namespace
} // namespace quillory
