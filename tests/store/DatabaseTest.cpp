#include "store/Database.h"

#include "common/Messages.h"
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

const std::string Marker = "Quillory v1.0\r\n";

// A database root inside a temporary directory, so that a name reaching one
// level up would show as a change beside the root.
class DatabaseTest : public ::testing::Test {
protected:
    test::TempDir temp;
    std::string root = temp.File("root") + "/";
    OpenDatabase open;

    void SetUp() override {
        fs::create_directory(root);
        WriteFile(temp.File("outside.txt"), "keep me");
    }

    // "Open/New" on `name`, as the database manager does it.
    void Open(const std::string& name, bool compressedBox) {
        open = OpenOrCreateDatabase(root, name, compressedBox);
    }

    // Database `name` holding the given entries; a name ending in "/" is a directory.
    std::string Make(const std::string& name, std::initializer_list<std::string> entries) {
        const std::string dir = root + name + "/";
        fs::create_directories(dir);
        for (const std::string& entry : entries) {
            if (entry.back() == '/')
                fs::create_directory(dir + entry);
            else
                WriteFile(dir + entry, entry == "VLR_STD" || entry == "VLR_ZIP" ? Marker : entry);
        }
        return dir;
    }

    static std::vector<std::string> Names(const std::string& dir) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(DatabaseTest, ListsMarkedDirectoriesInLocaleOrder) {
    UErrorCode status = U_ZERO_ERROR;
    uloc_setDefault("en_US", &status);
    Make("beta", {"VLR_STD", "A!1.txt"});
    Make("Alpha", {"VLR_ZIP"});
    Make("Both", {"VLR_STD", "VLR_ZIP"});
    Make("lower", {"vlr_zip"});
    Make("Mixed", {"Vlr_Std"});
    Make("Unmarked", {"A!1.txt"});
    Make(".hidden", {"VLR_STD"});
    Make("Empty", {});
    WriteFile(root + "VLR_STD", Marker);

    std::vector<std::pair<std::string, bool>> listed;
    for (const DatabaseEntry& database : ListDatabases(root))
        listed.emplace_back(database.Name, database.Compressed);
    const std::vector<std::pair<std::string, bool>> expected = {
        {"Alpha", true}, {"beta", false}, {"Both", true}, {"lower", true}, {"Mixed", false}};
    EXPECT_EQ(listed, expected);
    EXPECT_TRUE(ListDatabases(root + "missing/").empty());
}

TEST_F(DatabaseTest, NamesReachingOutsideTheRootAreRefused) {
    for (const char* name :
         {"a/b", "a\\b", ".", "..", "../x", "/", "tab\there", "line\n", "\x7f", "\x1b[1m"}) {
        EXPECT_EQ(ErrorText([&] { CheckDatabaseName(name); }), msg::BadDatabaseName) << name;
        EXPECT_EQ(ErrorText([&] { Open(name, false); }), msg::BadDatabaseName);
        EXPECT_EQ(ErrorText([&] { DeleteDatabase(root, open, name); }), msg::BadDatabaseName);
    }
    Make("db", {"VLR_STD"});
    EXPECT_EQ(ErrorText([&] { RenameDatabase(root, open, "db", "../db"); }), msg::BadDatabaseName);
    for (const char* name : {"...", "..x", ".hidden"})
        EXPECT_EQ(ErrorText([&] { CheckDatabaseName(name); }), msg::BadDatabaseName) << name;
    for (const char* name : {"Main Database", "x..", "Disks 2003 (old)", "\u00c9t\u00e9"})
        EXPECT_EQ(ErrorText([&] { CheckDatabaseName(name); }), "") << name;

    EXPECT_EQ(Names(temp.Path()), (std::vector<std::string>{"outside.txt", "root"}));
    EXPECT_EQ(Names(root), std::vector<std::string>{"db"});
    EXPECT_EQ(ReadFile(temp.File("outside.txt")), "keep me");
    EXPECT_TRUE(open.Name.empty());
}

TEST_F(DatabaseTest, OpeningANewNameCreatesTheDatabaseWithItsMarker) {
    for (const bool compressed : {false, true}) {
        const std::string name = compressed ? "Zipped" : "Plain";
        Open(name, compressed);
        const std::string marker = compressed ? "VLR_ZIP" : "VLR_STD";
        EXPECT_EQ(Names(root + name), std::vector<std::string>{marker});
        EXPECT_EQ(ReadFile(root + name + "/" + marker), Marker);
        EXPECT_EQ(open.Name, name);
        EXPECT_EQ(open.Path, root + name + "/");
        EXPECT_EQ(open.Compressed, compressed);
        EXPECT_EQ(FindNumFiles(open), 0);
        EXPECT_EQ(OpenDatabaseStatus(open),
                  "Open Database: " + name + " (Num Catalogs: 0)" + std::string(17, ' '));
    }
}

TEST_F(DatabaseTest, TheMarkerDecidesTheFormOfAnExistingDatabase) {
    Make("Zip", {"VLR_ZIP"});
    Make("Std", {"vlr_std"});
    Make("Both", {"VLR_STD", "vlr_zip"});
    Make("Bare", {"A!1.txt", "B!1.txt.bz2"});
    const auto before = Snapshot(root);
    const std::vector<std::tuple<std::string, bool, bool>> cases = {{"Zip", false, true},
                                                                    {"Std", true, false},
                                                                    {"Both", false, true},
                                                                    {"Bare", true, true},
                                                                    {"Bare", false, false}};
    for (const auto& [name, box, compressed] : cases) {
        Open(name, box);
        EXPECT_EQ(open.Compressed, compressed) << name << " " << box;
        EXPECT_EQ(FindNumFiles(open), name == "Bare" ? 1 : 0);
    }
    // A directory without a marker is used as it is.
    EXPECT_EQ(Snapshot(root), before);
    // Opened as an existing database, the markers say the same, and without one it is none.
    for (const auto& [name, compressed] :
         {std::pair{"Zip", true}, std::pair{"Std", false}, std::pair{"Both", true}})
        EXPECT_EQ(ExistingDatabase(root, name).Compressed, compressed) << name;
    EXPECT_NE(ErrorText([&] { ExistingDatabase(root, "Bare"); }), "");
}

TEST_F(DatabaseTest, OnlyVisibleCatalogsOfTheDatabasesFormAreCounted) {
    Make("db", {"VLR_STD", "A!1.txt", "B!2.txt", "C!3.txt.bz2", ".D!4.txt", ".E!5.txt.bz2",
                "notes.doc", "F!6.TXT", "G!7.txt.gz"});
    Open("db", false);
    EXPECT_EQ(FindNumFiles(open), 2);
    EXPECT_EQ(OpenDatabaseStatus(open),
              "Open Database: db (Num Catalogs: 2)" + std::string(17, ' '));
    fs::rename(root + "db/VLR_STD", root + "db/VLR_ZIP"); // the marker says the form
    EXPECT_EQ(FindNumFiles(open), 1);
    open.Path = root + "gone/";
    EXPECT_EQ(FindNumFiles(open), 0);
}

TEST_F(DatabaseTest, RenameMovesTheOpenDatabaseOnlyWhenItIsTheOneRenamed) {
    Make("One", {"VLR_ZIP", "A!1.txt.bz2"});
    Make("Two", {"VLR_STD"});
    Open("One", false);
    const auto before = Snapshot(root);
    for (const char* refused : {"Two", "", "One"})
        EXPECT_EQ(ErrorText([&] { RenameDatabase(root, open, "One", refused); }),
                  msg::ErrorRenamingDatabase);
    EXPECT_EQ(ErrorText([&] { RenameDatabase(root, open, "Missing", "Three"); }),
              msg::ErrorRenamingDatabase);
    EXPECT_EQ(Snapshot(root), before);

    EXPECT_FALSE(RenameDatabase(root, open, "Two", "Second"));
    EXPECT_EQ(open.Name, "One");
    EXPECT_EQ(open.Path, root + "One/");

    EXPECT_TRUE(RenameDatabase(root, open, "One", "First"));
    EXPECT_EQ(open.Name, "First");
    EXPECT_EQ(open.Path, root + "First/");
    EXPECT_TRUE(open.Compressed);
    EXPECT_EQ(Names(root), (std::vector<std::string>{"First", "Second"}));
    EXPECT_EQ(OpenDatabaseStatus(open),
              "Open Database: First (Num Catalogs: 1)" + std::string(17, ' '));
}

TEST_F(DatabaseTest, DeleteRemovesVisibleFilesAndAnEmptiedDirectory) {
    Make("Plain", {"VLR_STD", "A!1.txt", "notes.doc"});
    Make("Hidden", {"VLR_ZIP", "A!1.txt.bz2", ".keep"});
    Make("Nested", {"VLR_STD", "A!1.txt", "sub/"});
    WriteFile(root + "Nested/sub/inner.txt", "inner");
    Open("Hidden", false);

    EXPECT_FALSE(DeleteDatabase(root, open, "Plain"));
    EXPECT_FALSE(fs::exists(root + "Plain"));

    EXPECT_TRUE(DeleteDatabase(root, open, "Hidden"));
    EXPECT_EQ(Names(root + "Hidden"), std::vector<std::string>{".keep"});
    EXPECT_EQ(open.Name, "Hidden"); // the open state keeps its values

    EXPECT_FALSE(DeleteDatabase(root, open, "Nested"));
    EXPECT_EQ(Names(root + "Nested"), std::vector<std::string>{"sub"});
    EXPECT_EQ(ReadFile(root + "Nested/sub/inner.txt"), "inner");

    EXPECT_TRUE(ListDatabases(root).empty());
    EXPECT_EQ(ReadFile(temp.File("outside.txt")), "keep me");
}

} // namespace
} // namespace quillory
