#include "search/Bmh.h"

#include <cstring>

namespace quillory {

void BmhTable::BmhPrepare(std::string_view pattern) {
    pattern_.assign(pattern);
    const auto length = static_cast<std::int32_t>(pattern.size());
    shift_.fill(length);
    for (std::int32_t i = 0; i < length; ++i)
        shift_[static_cast<unsigned char>(pattern[static_cast<std::size_t>(i)])] = length - 1 - i;
    const auto last = static_cast<unsigned char>(pattern.back());
    shift_[last] = Sentinel;
    skip_ = length;
    for (std::int32_t i = 0; i + 1 < length; ++i) {
        if (static_cast<unsigned char>(pattern[static_cast<std::size_t>(i)]) == last)
            skip_ = length - 1 - i;
    }
}

std::size_t BmhTable::BmhSearch(const char* text, std::size_t length) const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    if (length + pattern_.size() <= static_cast<std::size_t>(Sentinel))
        return SearchWithSentinel(bytes, length);
    return SearchPlain(bytes, length);
}

// The index i counts from the end of the text: the byte under the pattern's
// last byte is text[n + i].
std::size_t BmhTable::SearchWithSentinel(const unsigned char* text, std::size_t length) const {
    const auto n = static_cast<std::int32_t>(length);
    const auto l = static_cast<std::int32_t>(pattern_.size());
    const auto* pattern = reinterpret_cast<const unsigned char*>(pattern_.data());
    std::int32_t i = l - 1 - n;
    if (i >= 0)
        return NotFound;
    for (;;) {
        do
            i += shift_[text[n + i]];
        while (i < 0);
        if (i < Sentinel - n)
            return NotFound;
        i -= Sentinel;
        std::int32_t k = l - 2;
        while (k >= 0 && pattern[k] == text[n + i - (l - 1 - k)])
            --k;
        if (k < 0)
            return static_cast<std::size_t>(n + i - l + 1);
        i += skip_;
        if (i >= 0)
            return NotFound;
    }
}

std::size_t BmhTable::SearchPlain(const unsigned char* text, std::size_t length) const {
    const std::size_t l = pattern_.size();
    if (l > length)
        return NotFound;
    const auto* pattern = reinterpret_cast<const unsigned char*>(pattern_.data());
    const unsigned char last = pattern[l - 1];
    for (std::size_t end = l - 1; end < length;) {
        const unsigned char c = text[end];
        if (c == last && std::memcmp(text + end + 1 - l, pattern, l - 1) == 0)
            return end + 1 - l;
        end += c == last ? static_cast<std::size_t>(skip_) : static_cast<std::size_t>(shift_[c]);
    }
    return NotFound;
}

} // namespace quillory
