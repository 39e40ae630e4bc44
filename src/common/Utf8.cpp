#include "common/Utf8.h"

#include <cstring>

namespace quillory {

bool IsUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        // Names are mostly ASCII: eight bytes at a time where they are.
        std::uint64_t word;
        if (text.size() - at >= 8) {
            std::memcpy(&word, text.data() + at, 8);
            if ((word & 0x8080808080808080u) == 0) {
                at += 8;
                continue;
            }
        }
        const std::optional<Utf8Character> character = Utf8CharacterAt(text, at);
        if (!character)
            return false;
        at += character->Length;
    }
    return true;
}

} // namespace quillory
