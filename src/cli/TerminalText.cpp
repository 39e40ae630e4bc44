#include "cli/TerminalText.h"

namespace quillory {

namespace {

void AppendOctal(unsigned char byte, std::string& out) {
    out += '\\';
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

bool IsControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F;
}

// A C1 control as UTF-8 writes it: 0xC2, then 0x80 to 0x9F.
bool StartsUtf8Control(std::string_view text, std::size_t at) {
    return at + 1 < text.size() && static_cast<unsigned char>(text[at]) == 0xC2 &&
           static_cast<unsigned char>(text[at + 1]) >= 0x80 &&
           static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

// Whether the byte at `at`, from 0x80 to 0x9F, continues a UTF-8 character
// that began before it (the second to fourth byte of one).
bool ContinuesCharacter(std::string_view text, std::size_t at) {
    std::size_t lead = at;
    while (lead > 0 && at - lead < 3 && (static_cast<unsigned char>(text[lead]) & 0xC0) == 0x80)
        --lead;
    const auto first = static_cast<unsigned char>(text[lead]);
    const std::size_t length = first >= 0xF0 && first <= 0xF4   ? 4
                               : first >= 0xE0 && first <= 0xEF ? 3
                               : first >= 0xC3 && first <= 0xDF ? 2
                                                                : 0;
    return lead < at && at - lead < length;
}

} // namespace

std::string TerminalText(std::string_view text, bool keepLineEnds) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool lineEnd =
            keepLineEnds &&
            (byte == '\n' || (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n'));
        if (StartsUtf8Control(text, i)) {
            AppendOctal(byte, out);
            AppendOctal(static_cast<unsigned char>(text[++i]), out);
        } else if ((IsControl(byte) && !lineEnd) ||
                   (byte >= 0x80 && byte <= 0x9F && !ContinuesCharacter(text, i))) {
            AppendOctal(byte, out);
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string ForStream(std::string_view text, bool terminal) {
    return terminal ? TerminalText(text) : std::string(text);
}

} // namespace quillory
