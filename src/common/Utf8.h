#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillory {

// A character read from UTF-8 text: its code point and its length in bytes.
struct Utf8Character {
    std::uint32_t CodePoint;
    std::size_t Length;
};

// The character that begins at byte `at` of `text` by UTF-8's strict rule
// (no overlong form, no surrogate, nothing above U+10FFFF, nothing cut
// short), or nothing when the byte there begins none. Inline: wildcards
// read every character of millions of names with it.
inline std::optional<Utf8Character> Utf8CharacterAt(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return Utf8Character{lead, 1};
    std::size_t length = 4;
    std::uint32_t value = lead & 0x07u;
    // The range of the first continuation byte, which rules out overlong
    // forms, surrogates and what lies above U+10FFFF.
    unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead < 0xF0 || lead > 0xF4) {
        return std::nullopt;
    }
    if (text.size() - at < length)
        return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if (next < low || next > high)
            return std::nullopt;
        value = (value << 6) | (next & 0x3Fu);
        low = 0x80;
        high = 0xBF;
    }
    return Utf8Character{value, length};
}

// Whether all of `text` is UTF-8 by that rule.
bool IsUtf8(std::string_view text);

} // namespace quillory
