#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillory {

// Boyer-Moore-Horspool substring search with a sentinel: the shift of the
// pattern's last character is 32767, so the fast loop needs a single test per
// step and notices a possible match by overshooting. That trick can tell a
// match from running off the end only while text and pattern together hold at
// most 32767 bytes; longer texts are searched by the plain loop, so no text
// is ever read outside its bounds.
class BmhTable {
public:
    static constexpr std::int32_t Sentinel = 32767;
    static constexpr std::size_t NotFound = static_cast<std::size_t>(-1);

    // Prepares the table for `pattern` (at least one byte).
    void BmhPrepare(std::string_view pattern);
    // The position of the first occurrence of the pattern in `text`, or NotFound.
    std::size_t BmhSearch(const char* text, std::size_t length) const;

private:
    std::size_t SearchWithSentinel(const unsigned char* text, std::size_t length) const;
    std::size_t SearchPlain(const unsigned char* text, std::size_t length) const;

    std::string pattern_;
    std::array<std::int32_t, 256> shift_{};
    std::int32_t skip_ = 0;
};

} // namespace quillory
