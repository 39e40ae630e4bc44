#include "common/Path.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillory {
namespace {

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/quillory-path-XXXXXX";
        if (::mkdtemp(pattern) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

TEST(PathTest, TrailingSeparatorIsAddedOnce) {
    EXPECT_EQ(WithTrailingSeparator(""), "");
    EXPECT_EQ(WithTrailingSeparator("/"), "/");
    EXPECT_EQ(WithTrailingSeparator("/data"), "/data/");
    EXPECT_EQ(WithTrailingSeparator("/data/"), "/data/");
}

TEST(PathTest, JoinPutsExactlyOneSeparator) {
    EXPECT_EQ(JoinPath("/data", "db"), "/data/db");
    EXPECT_EQ(JoinPath("/data/", "db"), "/data/db");
    EXPECT_EQ(JoinPath("/data/", "/db"), "/data/db");
    EXPECT_EQ(JoinPath("/data", "//db"), "/data/db");
    EXPECT_EQ(JoinPath("/", "db"), "/db");
}

TEST(PathTest, FindEntryIgnoringCase) {
    TempDir temp;
    const std::string dir = temp.Path();
    std::ofstream(dir + "/VLR_ZIP").put('z');
    std::ofstream(dir + "/data.txt").put('l');
    std::ofstream(dir + "/DATA.TXT").put('u');
    std::filesystem::create_directory(dir + "/Main Database");

    EXPECT_EQ(FindEntryIgnoringCase(dir, "vlr_zip"), dir + "/VLR_ZIP");
    EXPECT_EQ(FindEntryIgnoringCase(dir + "/", "Vlr_Zip"), dir + "/VLR_ZIP");
    EXPECT_EQ(FindEntryIgnoringCase(dir, "main database"), dir + "/Main Database");
    // The exact spelling wins over any other, whatever order the listing has.
    EXPECT_EQ(FindEntryIgnoringCase(dir, "data.txt"), dir + "/data.txt");
    EXPECT_EQ(FindEntryIgnoringCase(dir, "DATA.TXT"), dir + "/DATA.TXT");

    EXPECT_EQ(FindEntryIgnoringCase(dir, "vlr"), "");
    EXPECT_EQ(FindEntryIgnoringCase(dir, "VLR_STD"), "");
    EXPECT_EQ(FindEntryIgnoringCase(dir + "/missing", "vlr_zip"), "");
    EXPECT_EQ(FindEntryIgnoringCase(dir + "/VLR_ZIP", "x"), "");

    const std::string locked = dir + "/locked";
    std::filesystem::create_directory(locked);
    std::ofstream(locked + "/VLR_ZIP").put('z');
    ::chmod(locked.c_str(), 0);
    if (::geteuid() != 0) { // permissions do not bind the superuser
        EXPECT_EQ(FindEntryIgnoringCase(locked, "vlr_zip"), "");
    }
    ::chmod(locked.c_str(), 0700);
}

} // namespace
} // namespace quillory
