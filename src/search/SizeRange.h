#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillory {

// The sizes a search keeps, both ends included.
class SizeRange {
public:
    // Reads ">N", ">=N", "<N", "<=N", "=N" or "N..M", where N and M are
    // decimal digits with an optional k, M, G or T (either case; powers of
    // 1024). Returns nothing for any other text, for a size beyond 64 bits,
    // and for "N..M" with N above M: reversed ends are a slip of the keyboard
    // far more often than a wish to find nothing. "<0" is valid and keeps nothing.
    static std::optional<SizeRange> Parse(std::string_view text);

    bool Contains(std::uint64_t size) const { return low_ <= size && size <= high_; }
    // For a record's size line: only a plain decimal number that fits 64 bits
    // can be inside; a line in any other form never is.
    bool ContainsText(std::string_view sizeLine) const;

private:
    SizeRange(std::uint64_t low, std::uint64_t high) : low_(low), high_(high) {}

    // A range that keeps nothing has low_ above high_.
    std::uint64_t low_;
    std::uint64_t high_;
};

} // namespace quillory
