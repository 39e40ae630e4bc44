#include "settings/SetupForm.h"

#include "support/MemorySettingsStore.h"

#include <gtest/gtest.h>
#include <tuple>

namespace quillory {
namespace {

using Widths = std::array<std::int32_t, PrintColumnCount>;

auto Persisted(const Settings& s) {
    return std::tie(s.InputDir, s.DatabaseDir, s.PrintCols, s.PrintColsEnabled);
}

class SetupFormTest : public ::testing::Test {
protected:
    SetupFormTest() {
        form.InputDir = "/media/cdrom";
        form.DatabaseDir = "/data";
        form.WidthTexts = {"5", "40", "120", "0", "999", "007"};
        form.Printed = {true, false, true, true, false, true};
        settings.InputDir = "/old/in/";
        settings.DatabaseDir = "/old/db/";
        settings.PrintCols = {1, 2, 3, 4, 5, 6};
        before = settings;
    }

    // Saves `edited` (the form by default); returns the error text.
    std::string Save(SetupForm* edited = nullptr) {
        try {
            SaveSetup(edited ? *edited : form, store, settings);
        } catch (const Error& error) {
            return error.what();
        }
        return "";
    }

    void ExpectNothingSaved() {
        EXPECT_TRUE(store.Values.empty());
        EXPECT_EQ(store.Commits, 0);
        EXPECT_EQ(Persisted(settings), Persisted(before));
    }

    SetupForm form;
    test::MemorySettingsStore store;
    Settings settings;
    Settings before;
};

TEST_F(SetupFormTest, FormShowsTheSettings) {
    settings.PrintCols = {5, 40, 120, 0, 999, -3};
    settings.PrintColsEnabled = {true, false, false, true, true, false};
    const SetupForm shown = SetupFormFromSettings(settings);
    EXPECT_EQ(shown.InputDir, "/old/in/");
    EXPECT_EQ(shown.DatabaseDir, "/old/db/");
    EXPECT_EQ(shown.WidthTexts,
              (std::array<std::string, PrintColumnCount>{"5", "40", "120", "0", "999", "-3"}));
    EXPECT_EQ(shown.Printed, settings.PrintColsEnabled);
}

TEST_F(SetupFormTest, RefusesAnEmptyPathOrABadWidthBeforeWriting) {
    SetupForm edited = form;
    edited.DatabaseDir = "";
    EXPECT_EQ(Save(&edited), "One of the drives/directories is empty - please recheck them.");
    edited = form;
    edited.InputDir = "";
    EXPECT_EQ(Save(&edited), msg::EmptySetupPath);
    EXPECT_EQ(edited.DatabaseDir, "/data"); // left as typed

    EXPECT_EQ(FormatMessage(msg::BadPrintWidth, "Directory"),
              "The width of the Directory column must be a whole number from 0 to 999. "
              "Please revise it and retry.");
    const char* bad[] = {"", "abc", "-1", "1000", "1.5", " 5", "5 ", "+5", "$10"};
    for (std::size_t i = 0; i < std::size(bad); ++i) {
        const std::size_t column = (i + 1) % PrintColumnCount;
        edited = form;
        edited.WidthTexts[column] = bad[i];
        EXPECT_EQ(Save(&edited), FormatMessage(msg::BadPrintWidth, PrintColumnNames[column]))
            << "'" << bad[i] << "'";
        EXPECT_EQ(edited.InputDir, "/media/cdrom");
    }
    ExpectNothingSaved();
}

TEST_F(SetupFormTest, SavesCompletedPathsAndUpdatesSettings) {
    EXPECT_EQ(Save(), "");
    EXPECT_EQ(form.InputDir, "/media/cdrom/");
    EXPECT_EQ(form.DatabaseDir, "/data/");
    EXPECT_EQ(store.Values,
              (std::map<std::string, std::string>{{"InputDir", "/media/cdrom/"},
                                                  {"DatabaseDir", "/data/"},
                                                  {"PrintCols", "  5  40 120   0 999 007"},
                                                  {"PrintColsEnabled", "1 0 1 1 0 1 "}}));
    EXPECT_EQ(store.Commits, 1);
    EXPECT_EQ(settings.InputDir, "/media/cdrom/");
    EXPECT_EQ(settings.DatabaseDir, "/data/");
    EXPECT_EQ(settings.PrintCols, (Widths{5, 40, 120, 0, 999, 7}));
    EXPECT_EQ(settings.PrintColsEnabled, form.Printed);

    form.InputDir = "/";
    EXPECT_EQ(Save(), "");
    EXPECT_EQ(form.InputDir, "/");
    EXPECT_EQ(store.Values["InputDir"], "/");
    EXPECT_EQ(store.Values["DatabaseDir"], "/data/");
}

TEST_F(SetupFormTest, AFailedCommitLeavesTheSettings) {
    store.FailCommit = true;
    EXPECT_EQ(Save(), FormatMessage(msg::SettingsNotSaved, "memory"));
    ExpectNothingSaved();
}

TEST(PathFieldFromPickedTest, AddsTheFinalSeparator) {
    EXPECT_EQ(PathFieldFromPicked("/"), "/");
    EXPECT_EQ(PathFieldFromPicked("/home/u"), "/home/u/");
    EXPECT_EQ(PathFieldFromPicked("/home/u/"), "/home/u/");
    EXPECT_EQ(PathFieldFromPicked(""), "");
}

} // namespace
} // namespace quillory
