#include "settings/PrintColumns.h"

#include "common/IntegerConversion.h"

namespace quillory {

namespace {

constexpr std::size_t WidthFieldLength = 3;

// The characters at [start, start + length) of `text`, fewer (or none) where
// the text ends earlier.
std::string Piece(const std::string& text, std::size_t start, std::size_t length) {
    return start < text.size() ? text.substr(start, length) : std::string();
}

} // namespace

std::string FormatPrintCols(const std::array<std::string, PrintColumnCount>& widthTexts) {
    std::string text;
    for (std::size_t i = 0; i < PrintColumnCount; ++i) {
        if (i > 0)
            text += ' ';
        if (widthTexts[i].size() < WidthFieldLength)
            text.append(WidthFieldLength - widthTexts[i].size(), ' ');
        text += widthTexts[i];
    }
    return text;
}

std::string FormatPrintColsEnabled(const std::array<bool, PrintColumnCount>& flags) {
    std::string text;
    for (bool on : flags) {
        text += on ? '1' : '0';
        text += ' ';
    }
    return text;
}

void ReadPrintCols(const std::string& text, Settings& settings) {
    for (std::size_t i = 0; i < PrintColumnCount; ++i)
        settings.PrintCols[i] = StrToInt(Piece(text, (WidthFieldLength + 1) * i, WidthFieldLength));
}

void ReadPrintColsEnabled(const std::string& text, Settings& settings) {
    for (std::size_t i = 0; i < PrintColumnCount; ++i)
        settings.PrintColsEnabled[i] = StrToInt(Piece(text, 2 * i, 1)) == 1;
}

} // namespace quillory
