#include "output/PrintLine.h"
#include "output/PrinterTextStream.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quillory {
namespace {

const ResultRow Readme = {"readme.txt", "\\docs\\", "Backup",
                          "3",          "1024",     "5/3/2003       10:04:00"};

Settings Columns(std::array<std::int32_t, PrintColumnCount> widths,
                 std::array<bool, PrintColumnCount> enabled = {true, true, true, true, true,
                                                               true}) {
    Settings settings;
    settings.PrintCols = widths;
    settings.PrintColsEnabled = enabled;
    return settings;
}

TEST(PrintLineTest, FitsEachPrintedColumnToItsWidth) {
    EXPECT_EQ(PrintLine(Readme, Columns({20, 0, 10, 4, 8, 23})),
              "readme.txt" + std::string(12, ' ') + "Backup" + std::string(5, ' ') +
                  "   3     1024 5/3/2003       10:04:00");
    ResultRow row = Readme;
    row[4] = "123456";
    EXPECT_EQ(
        PrintLine(row, Columns({0, 0, 0, 0, 4, 0}, {false, false, false, false, true, false})),
        "1234 ");
    EXPECT_EQ(PrintLine(Readme, Columns({20, 0, 10, 4, 8, 23}, {})), "");
    const std::array<bool, PrintColumnCount> dateOnly = {false, false, false, false, false, true};
    EXPECT_EQ(PrintLine(Readme, Columns({20, 0, 10, 4, 8, 23}, dateOnly)),
              "5/3/2003       10:04:00");
    EXPECT_EQ(PrintLine(Readme, Columns({20, 0, 10, 4, 8, 18}, dateOnly)), "5/3/2003       10:");
    EXPECT_EQ(PrintLine(Readme, Columns({20, 0, 10, 4, 8, 25}, dateOnly)),
              "5/3/2003       10:04:00  ");
    EXPECT_EQ(PrintLine(Readme, Columns({3, 0, 0, 2, 0, 0}, {true, false, false, true})),
              "rea  3 ");
}

TEST(PrintLineTest, FitTextCountsCharactersNotBytes) {
    EXPECT_EQ(FitText("abc", 0, false), "");
    EXPECT_EQ(FitText("abc", -3, true), "");
    EXPECT_EQ(FitText("12345", 3, true), "123");
    EXPECT_EQ(FitText("\xC3\xA9t\xC3\xA9", 2, false), "\xC3\xA9t");
    EXPECT_EQ(FitText("\xC3\xA9t\xC3\xA9", 5, false), "\xC3\xA9t\xC3\xA9  ");
    EXPECT_EQ(FitText("\xC3\xA9", 3, true), "  \xC3\xA9");
    // Three- and four-byte characters are never split.
    EXPECT_EQ(FitText("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", 2, false),
              "\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(FitText("a\xF0\x9F\x93\x80z", 2, false), "a\xF0\x9F\x93\x80");
    EXPECT_EQ(FitText("a\xF0\x9F\x93\x80z", 1, false), "a");
}

// A page of fixed-width characters: 10 units a character, 12 high.
class FakeCanvas final : public TextCanvas {
public:
    struct Run {
        int Page, X, Y;
        std::string Text;
        bool operator==(const Run&) const = default;
    };

    FakeCanvas(int width, int height) : width_(width), height_(height) {}

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    int CharacterHeight() const override { return 12; }
    int TextWidth(std::string_view text) const override {
        int characters = 0;
        for (const char byte : text)
            characters += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
        return 10 * characters;
    }
    int TextHeight(std::string_view) const override { return 12; }
    void DrawText(int x, int y, std::string_view text) override {
        Runs.push_back({Page, x, y, std::string(text)});
    }
    void NewPage() override { ++Page; }

    int Page = 0;
    std::vector<Run> Runs;

private:
    int width_;
    int height_;
};

using Runs = std::vector<FakeCanvas::Run>;

std::string Repeat(std::string_view text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i)
        repeated += text;
    return repeated;
}

TEST(PrinterTextStreamTest, WrapsWideRunsAtTheLeftEdgeWithoutSplittingCharacters) {
    FakeCanvas canvas(100, 1000);
    PrinterTextStream stream(canvas);
    stream.Write("aaaaaaaaaabbbbbbbbbbccc"); // 23 characters on a 10-character line
    stream.NewLine();
    stream.Write("abc");
    stream.Write("defghijkl");
    stream.NewLine();
    stream.Write(Repeat("\xC3\xA9", 11));
    // Lines lie the text height plus 2 apart.
    EXPECT_EQ(canvas.Runs, (Runs{{0, 0, 0, "aaaaaaaaaa"},
                                 {0, 0, 14, "bbbbbbbbbb"},
                                 {0, 0, 28, "ccc"},
                                 {0, 0, 42, "abc"},
                                 {0, 30, 42, "defghij"},
                                 {0, 0, 56, "kl"},
                                 {0, 0, 70, Repeat("\xC3\xA9", 10)},
                                 {0, 0, 84, "\xC3\xA9"}}));
}

TEST(PrinterTextStreamTest, StartsANewPageBeforeTheLastTwoLines) {
    // 100 high with 14-unit lines: a line may start at 72 at most.
    FakeCanvas canvas(100, 100);
    PrinterTextStream stream(canvas);
    for (int i = 0; i < 8; ++i) {
        stream.Write(std::to_string(i));
        stream.NewLine();
    }
    EXPECT_EQ(canvas.Runs, (Runs{{0, 0, 0, "0"},
                                 {0, 0, 14, "1"},
                                 {0, 0, 28, "2"},
                                 {0, 0, 42, "3"},
                                 {0, 0, 56, "4"},
                                 {0, 0, 70, "5"},
                                 {1, 0, 0, "6"},
                                 {1, 0, 14, "7"}}));
}

TEST(PrinterTextStreamTest, EmptyLinesAdvanceByTheCharacterHeight) {
    FakeCanvas canvas(100, 100);
    PrinterTextStream stream(canvas);
    stream.Write("a");
    stream.NewLine();
    stream.NewLine();
    stream.Write("");
    stream.NewLine();
    stream.Write("b");
    EXPECT_EQ(canvas.Runs, (Runs{{0, 0, 0, "a"}, {0, 0, 38, "b"}}));

    // A job of blank lines (every column switched off) still fills pages.
    FakeCanvas blank(100, 100);
    PrinterTextStream blanks(blank);
    for (int i = 0; i < 8; ++i)
        blanks.NewLine();
    EXPECT_EQ(blank.Page, 0); // down to 96
    blanks.NewLine();
    EXPECT_EQ(blank.Page, 1);
    EXPECT_TRUE(blank.Runs.empty());
}

TEST(PrinterTextStreamTest, APageNarrowerThanOneCharacterStillTakesOneALine) {
    for (const int width : {0, 5}) {
        FakeCanvas canvas(width, 1000);
        PrinterTextStream stream(canvas);
        stream.Write("a\xC3\xA9z");
        EXPECT_EQ(canvas.Runs, (Runs{{0, 0, 0, "a"}, {0, 0, 14, "\xC3\xA9"}, {0, 0, 28, "z"}}));
    }
}

} // namespace
} // namespace quillory
