#include "store/DefaultDatabase.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <vector>

namespace quillory {
namespace {

namespace fs = std::filesystem;

TEST(DefaultDatabaseTest, KeepsOnlyTheCompressedMarker) {
    char pattern[] = "/tmp/quillory-load-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const struct Cleanup {
        fs::path path;
        ~Cleanup() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } root{pattern};

    struct Case {
        const char* storedDir; // below the temporary root, as stored in DatabaseDir
        const char* database;
        std::vector<const char*> markers; // the plain marker last
        bool plainRemains;
    };
    const Case cases[] = {{"a/", "Main Database", {"VLR_ZIP", "VLR_STD"}, false},
                          {"b/", "main database", {"Vlr_Zip", "vlr_std"}, false},
                          {"c", "Main Database", {"VLR_ZIP", "VLR_STD"}, false},
                          {"d/", "Main Database", {"VLR_STD"}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.storedDir);
        const fs::path database = root.path / c.storedDir / c.database;
        fs::create_directories(database);
        for (const char* marker : c.markers)
            std::ofstream(database / marker).put('x');
        KeepDefaultDatabaseCompressed((root.path / c.storedDir).string());
        EXPECT_EQ(fs::exists(database / c.markers.back()), c.plainRemains);
        EXPECT_TRUE(fs::exists(database / c.markers.front()) || c.plainRemains);
    }
}

} // namespace
} // namespace quillory
