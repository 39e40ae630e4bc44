#include "store/CatalogName.h"

#include "common/IntegerConversion.h"
#include "common/Messages.h"
#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace quillory {
namespace {

using test::ErrorText;

using Parts = std::pair<std::string, std::string>;

Parts Cut(std::string_view fileName, bool compressed) {
    const CatalogName cut = CutCatalogFileName(fileName, compressed);
    return {cut.DiskName, cut.DiskNumber};
}

TEST(CatalogNameTest, JoinsNameNumberAndExtension) {
    EXPECT_EQ(CatalogFileName("Backup March", "12", false), "Backup March!12.txt");
    EXPECT_EQ(CatalogFileName("Backup March", "12", true), "Backup March!12.txt.bz2");
    EXPECT_EQ(CatalogFileName("Photos", "007", false), "Photos!007.txt");
    EXPECT_EQ(CatalogPattern(false), "*.txt");
    EXPECT_EQ(CatalogPattern(true), "*.txt.bz2");
}

TEST(CatalogNameTest, CutsAtTheFirstBangAndDropsTheFormsExtension) {
    EXPECT_EQ(Cut("Backup March!12.txt", false), Parts("Backup March", "12"));
    EXPECT_EQ(Cut("Backup March!12.txt.bz2", true), Parts("Backup March", "12"));
    EXPECT_EQ(Cut("Photos!007.txt", false), Parts("Photos", "007"));
    EXPECT_EQ(Cut("!5.txt", false), Parts("", "5"));
    EXPECT_EQ(Cut("a!b!12!.txt", false), Parts("a", "b!12!"));
    // The extension's length comes from the database's form, not from the name.
    EXPECT_EQ(Cut("Disk!12.txt.bz2", false), Parts("Disk", "12.txt"));
    EXPECT_EQ(Cut("Disk!12345.txt", true), Parts("Disk", "1"));
    // Without "!" the number runs from the first character.
    EXPECT_EQ(Cut("12.txt", false), Parts("", "12"));
    // Too short to hold the extension after the "!": no number at all.
    EXPECT_EQ(Cut("Disk!12.txt", true), Parts("Disk", ""));
    EXPECT_EQ(Cut("Disk!.tx", false), Parts("Disk", ""));
    EXPECT_EQ(Cut("", false), Parts("", ""));
}

TEST(CatalogNameTest, NumberPartConvertsOrNamesTheBadText) {
    EXPECT_EQ(StrToInt(CutCatalogFileName("Photos!007.txt", false).DiskNumber), 7);
    const std::string number = CutCatalogFileName("Photos!abc.txt.bz2", true).DiskNumber;
    EXPECT_EQ(ErrorText([&] { StrToInt(number); }), "'abc' is not a valid integer value");
    const std::string several = CutCatalogFileName("a!1!2.txt", false).DiskNumber;
    EXPECT_EQ(ErrorText([&] { StrToInt(several); }), "'1!2' is not a valid integer value");
}

TEST(CatalogNameTest, CatalogsAreVisibleNamesWithTheFormsExtension) {
    EXPECT_TRUE(IsCatalogFileName("Disk!1.txt", false));
    EXPECT_TRUE(IsCatalogFileName("x.txt", false));
    EXPECT_TRUE(IsCatalogFileName("Disk!1.txt.bz2", true));
    EXPECT_FALSE(IsCatalogFileName("Disk!1.txt.bz2", false));
    EXPECT_FALSE(IsCatalogFileName("Disk!1.txt", true));
    EXPECT_FALSE(IsCatalogFileName("Disk!1.TXT", false));
    EXPECT_FALSE(IsCatalogFileName("Disk!1.txt.BZ2", true));
    EXPECT_FALSE(IsCatalogFileName(".Disk!1.txt", false));
    EXPECT_FALSE(IsCatalogFileName(".txt", false));
    EXPECT_FALSE(IsCatalogFileName("txt", false));
    EXPECT_FALSE(IsCatalogFileName("", false));
}

TEST(CatalogNameTest, ListsOnlyTheCatalogsOfTheForm) {
    test::TempDir dir;
    for (const char* name : {"A!1.txt", "B!2.txt", ".hidden!3.txt", "C!4.txt.bz2", "D!5.TXT",
                             "notes.doc", "VLR_STD", ".E!6.txt.bz2"})
        test::WriteFile(dir.File(name), "x");
    auto list = [&](bool compressed) {
        auto names = ListCatalogFiles(dir.Path(), compressed);
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ(list(false), (std::vector<std::string>{"A!1.txt", "B!2.txt"}));
    EXPECT_EQ(list(true), (std::vector<std::string>{"C!4.txt.bz2"}));

    const std::string missing = dir.File("missing");
    EXPECT_EQ(ErrorText([&] { ListCatalogFiles(missing, false); }), "Cannot open file " + missing);
}

TEST(CatalogNameTest, NumbersMustBeIntegersAndNamesMustStayInTheDatabase) {
    for (const char* number : {"", "x", "1.5", "7 ", "99999999999"})
        EXPECT_EQ(ErrorText([&] { CheckDiskNumber(number); }), msg::DiskNumberNotInteger) << number;
    for (const char* number : {"0", "007", "-3", " 12", "$1F"})
        EXPECT_EQ(ErrorText([&] { CheckDiskNumber(number); }), "") << number;

    EXPECT_EQ(ErrorText([] { CheckDiskName("Best!Of"); }), msg::DiskNameWithBang);
    for (const char* name : {"a/b", "a\\b", "tab\there", "new\nline", "del\x7f", "..\\up"})
        EXPECT_EQ(ErrorText([&] { CheckDiskName(name); }), msg::DiskNameWithSeparator) << name;
    for (const char* name : {".", "..", ".hidden"})
        EXPECT_EQ(ErrorText([&] { CheckDiskName(name); }), msg::DiskNameHidden) << name;
    for (const char* name : {"", "Backup March", "x..", "Gr\xc3\xbc\xc3\x9f"})
        EXPECT_EQ(ErrorText([&] { CheckDiskName(name); }), "") << name;

    // Every catalog name fits a file name in both forms ("!", the number, ".txt.bz2").
    EXPECT_EQ(ErrorText([] { CheckCatalogName({std::string(244, 'a'), "12"}); }), "");
    EXPECT_EQ(ErrorText([] {
                  CheckCatalogName({std::string(245, 'a'), "12"});
              }),
              msg::DiskNameTooLong);
    EXPECT_EQ(ErrorText([] { CheckCatalogName({"../x", "1"}); }), msg::DiskNameWithSeparator);
    EXPECT_EQ(ErrorText([] { CheckCatalogName({"x", "1a"}); }), msg::DiskNumberNotInteger);

    EXPECT_EQ(DiskNameOrDefault(""), "Default");
    EXPECT_EQ(DiskNameOrDefault(" "), " ");
}

TEST(CatalogNameTest, MarkerNamesAndLine) {
    EXPECT_EQ(MarkerFileName(false), "VLR_STD");
    EXPECT_EQ(MarkerFileName(true), "VLR_ZIP");
    EXPECT_EQ(MarkerLine(), "Quillory v1.0\r\n");
}

} // namespace
} // namespace quillory
