#include "output/PrintLine.h"

namespace quillory {

namespace {

bool StartsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (char byte : text)
        count += StartsCharacter(byte) ? 1 : 0;
    return count;
}

// The byte length of the first `characters` characters of `text`.
std::size_t PrefixBytes(std::string_view text, std::size_t characters) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (StartsCharacter(text[i]) && seen++ == characters)
            return i;
    }
    return text.size();
}

constexpr bool RightAligned[PrintColumnCount] = {false, false, false, true, true, false};

} // namespace

std::string FitText(std::string_view text, int width, bool rightAligned) {
    if (width <= 0)
        return {};
    const auto wanted = static_cast<std::size_t>(width);
    const std::size_t length = CharacterCount(text);
    if (length > wanted)
        return std::string(text.substr(0, PrefixBytes(text, wanted)));
    const std::string padding(wanted - length, ' ');
    return rightAligned ? padding + std::string(text) : std::string(text) + padding;
}

std::string PrintLine(const ResultRow& cells, const Settings& settings) {
    std::string line;
    for (std::size_t i = 0; i < PrintColumnCount; ++i) {
        if (!settings.PrintColsEnabled[i])
            continue;
        line += FitText(cells[i], settings.PrintCols[i], RightAligned[i]);
        if (i + 1 < PrintColumnCount)
            line += ' ';
    }
    return line;
}

} // namespace quillory
