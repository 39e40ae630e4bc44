#include "settings/LoadSettings.h"

#include "support/MemorySettingsStore.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace quillory {
namespace {

using Widths = std::array<std::int32_t, PrintColumnCount>;
using Flags = std::array<bool, PrintColumnCount>;

auto Persisted(const Settings& s) {
    return std::tie(s.InputDir, s.DatabaseDir, s.PrintCols, s.PrintColsEnabled);
}

class LoadSettingsTest : public ::testing::Test {
protected:
    LoadSettingsTest() {
        store.Values = {{"InputDir", "/mnt/in/"},
                        {"DatabaseDir", "/nonexistent/quillory/"},
                        {"PrintCols", "  5  40 120   4  10  20"},
                        {"PrintColsEnabled", "1 0 1 1 0 1 "},
                        {"FirstTime", "False"}};
    }

    // Loads with an optical drive at `drive` ("" for none); returns the error text.
    std::string Load(const std::string& drive = "/media/cdrom/") {
        try {
            LoadSettings(
                store, settings,
                {[this](const std::string& databaseDir) { markerRoots.push_back(databaseDir); },
                 [this, drive] {
                     ++driveQueries;
                     firstTimeWhenQueried = store.Values["FirstTime"];
                     return drive;
                 }});
        } catch (const Error& error) {
            return error.what();
        }
        return "";
    }

    test::MemorySettingsStore store;
    Settings settings;
    const Settings empty;
    int driveQueries = 0;
    std::string firstTimeWhenQueried;
    std::vector<std::string> markerRoots; // the roots the default-database rule was told
};

TEST_F(LoadSettingsTest, NoStoreLeavesEverythingEmpty) {
    store.Present = false;
    store.Values["FirstTime"] = "True";
    EXPECT_EQ(Load(), "");
    EXPECT_EQ(Persisted(settings), Persisted(empty));
    EXPECT_EQ(driveQueries, 0);
    EXPECT_EQ(store.Commits, 0);
    EXPECT_FALSE(store.Present);
}

TEST_F(LoadSettingsTest, ReadsTheStoredValues) {
    EXPECT_EQ(Load(), "");
    EXPECT_EQ(settings.InputDir, "/mnt/in/");
    EXPECT_EQ(settings.DatabaseDir, "/nonexistent/quillory/");
    EXPECT_EQ(settings.PrintCols, (Widths{5, 40, 120, 4, 10, 20}));
    EXPECT_EQ(settings.PrintColsEnabled, (Flags{true, false, true, true, false, true}));
    EXPECT_EQ(driveQueries, 0);
    EXPECT_EQ(store.Commits, 0);
}

TEST_F(LoadSettingsTest, ABadValueStopsLoadingAndSkipsTheFirstRun) {
    store.Values["FirstTime"] = "True";
    store.Values["PrintCols"] = "  5  4O 120   4  10  20";
    EXPECT_EQ(Load(), "' 4O' is not a valid integer value");
    EXPECT_EQ(settings.DatabaseDir, "/nonexistent/quillory/");
    EXPECT_EQ(settings.PrintCols, (Widths{5, 0, 0, 0, 0, 0}));
    EXPECT_EQ(settings.PrintColsEnabled, Flags{});

    store.Values.erase("PrintCols");
    settings = Settings{};
    EXPECT_EQ(Load(), "'' is not a valid integer value");
    EXPECT_EQ(settings.PrintCols, Widths{});

    store.NotText.insert("InputDir");
    settings = Settings{};
    EXPECT_EQ(Load(), "Invalid data type for 'InputDir'");
    EXPECT_EQ(Persisted(settings), Persisted(empty));

    EXPECT_EQ(driveQueries, 0);
    EXPECT_TRUE(markerRoots.empty());
    EXPECT_EQ(store.Values["FirstTime"], "True");
    EXPECT_EQ(store.Commits, 0);
}

TEST_F(LoadSettingsTest, FirstRunTakesTheOpticalDriveOnce) {
    store.Values["FirstTime"] = "True";
    EXPECT_EQ(Load("/media/cdrom/"), "");
    EXPECT_EQ(firstTimeWhenQueried, "False"); // stored before the drive is looked for
    EXPECT_EQ(store.Values["FirstTime"], "False");
    EXPECT_EQ(store.Values["InputDir"], "/media/cdrom/");
    EXPECT_EQ(settings.InputDir, "/media/cdrom/");

    EXPECT_EQ(Load("/media/other/"), "");
    EXPECT_EQ(driveQueries, 1);
    EXPECT_EQ(settings.InputDir, "/media/cdrom/");
    // The default database is looked after once, in the root as stored.
    EXPECT_EQ(markerRoots, std::vector<std::string>{"/nonexistent/quillory/"});
}

TEST_F(LoadSettingsTest, FirstRunWithoutDriveKeepsTheInput) {
    for (const char* notTrue : {"true", "TRUE", "True ", ""}) {
        store.Values["FirstTime"] = notTrue;
        EXPECT_EQ(Load(""), "");
        EXPECT_EQ(store.Values["FirstTime"], notTrue);
    }
    EXPECT_EQ(driveQueries, 0);

    store.Values["FirstTime"] = "True";
    EXPECT_EQ(Load(""), "");
    EXPECT_EQ(driveQueries, 1);
    EXPECT_EQ(store.Values["FirstTime"], "False");
    EXPECT_EQ(store.Values["InputDir"], "/mnt/in/");
    EXPECT_EQ(settings.InputDir, "/mnt/in/");
}

} // namespace
} // namespace quillory
