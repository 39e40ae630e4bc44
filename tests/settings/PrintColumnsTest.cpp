#include "settings/PrintColumns.h"

#include "common/Error.h"

#include <functional>
#include <gtest/gtest.h>

namespace quillory {
namespace {

using Widths = std::array<std::int32_t, PrintColumnCount>;
using Flags = std::array<bool, PrintColumnCount>;

std::string ErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(PrintColumnsTest, FormatsTheStoredTexts) {
    const std::string widths = FormatPrintCols({"5", "40", "120", "4", "10", "20"});
    EXPECT_EQ(widths, "  5  40 120   4  10  20");
    EXPECT_EQ(widths.size(), 23u);
    // A longer text is taken unchanged and shifts the fields after it.
    EXPECT_EQ(FormatPrintCols({"", "0", "999", "1234", "7", "08"}), "      0 999 1234   7  08");

    const std::string flags = FormatPrintColsEnabled({true, false, true, true, false, true});
    EXPECT_EQ(flags, "1 0 1 1 0 1 ");
    EXPECT_EQ(flags.size(), 12u);
}

TEST(PrintColumnsTest, ReadsFieldsAtTheirFixedPositions) {
    Settings settings;
    ReadPrintCols("  5  40 120   4  10  20", settings);
    ReadPrintColsEnabled("1 0 1 1 0 1 ", settings);
    EXPECT_EQ(settings.PrintCols, (Widths{5, 40, 120, 4, 10, 20}));
    EXPECT_EQ(settings.PrintColsEnabled, (Flags{true, false, true, true, false, true}));

    // The characters between fields are never looked at; each field follows the
    // integer conversion rule, and a flag is on only when it reads as 1.
    ReadPrintCols("007x$1Fx-12x 30x0x5x  1 and more", settings);
    EXPECT_EQ(settings.PrintCols, (Widths{7, 31, -12, 30, 5, 1}));
    ReadPrintColsEnabled("0a5b1c0d9e1", settings);
    EXPECT_EQ(settings.PrintColsEnabled, (Flags{false, false, true, false, false, true}));
}

TEST(PrintColumnsTest, StopsAtTheFirstBadFieldKeepingThoseBefore) {
    Settings settings;
    settings.PrintCols = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(ErrorText([&] { ReadPrintCols("  5  40 1x0   4  10  20", settings); }),
              "'1x0' is not a valid integer value");
    EXPECT_EQ(settings.PrintCols, (Widths{5, 40, 9, 9, 9, 9}));

    settings.PrintCols = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(ErrorText([&] { ReadPrintCols("5    40 120   4  10  20", settings); }),
              "'5  ' is not a valid integer value");
    EXPECT_EQ(settings.PrintCols, (Widths{9, 9, 9, 9, 9, 9}));

    // A text that ends early: a cut field is read as far as it goes, then a missing one fails.
    EXPECT_EQ(ErrorText([&] { ReadPrintCols("  5  40 12", settings); }),
              "'' is not a valid integer value");
    EXPECT_EQ(settings.PrintCols, (Widths{5, 40, 12, 9, 9, 9}));

    settings.PrintColsEnabled = {true, true, true, true, true, true};
    EXPECT_EQ(ErrorText([&] { ReadPrintColsEnabled("0 1 x 1 1 1 ", settings); }),
              "'x' is not a valid integer value");
    EXPECT_EQ(settings.PrintColsEnabled, (Flags{false, true, true, true, true, true}));
    EXPECT_EQ(ErrorText([&] { ReadPrintColsEnabled("0 0 0", settings); }),
              "'' is not a valid integer value");
    EXPECT_EQ(settings.PrintColsEnabled, (Flags{false, false, false, true, true, true}));
}

} // namespace
} // namespace quillory
