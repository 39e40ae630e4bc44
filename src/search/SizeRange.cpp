#include "search/SizeRange.h"

#include "common/AsciiUpper.h"

#include <charconv>
#include <limits>

namespace quillory {

namespace {

constexpr std::uint64_t Largest = std::numeric_limits<std::uint64_t>::max();

// Digits only: no blanks, no sign, nothing after them, and a value that fits.
std::optional<std::uint64_t> ParseDecimal(std::string_view text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

// The power of two a size suffix stands for, or 0 when `c` is none.
int SuffixShift(char c) {
    switch (AsciiUpper(c)) {
    case 'K':
        return 10;
    case 'M':
        return 20;
    case 'G':
        return 30;
    case 'T':
        return 40;
    default:
        return 0;
    }
}

std::optional<std::uint64_t> ParseAmount(std::string_view text) {
    const int shift = text.empty() ? 0 : SuffixShift(text.back());
    if (shift != 0)
        text.remove_suffix(1);
    const auto value = ParseDecimal(text);
    if (!value || *value > Largest >> shift)
        return std::nullopt;
    return *value << shift;
}

} // namespace

std::optional<SizeRange> SizeRange::Parse(std::string_view text) {
    const SizeRange nothing(1, 0);
    if (const std::size_t dots = text.find(".."); dots != std::string_view::npos) {
        const auto low = ParseAmount(text.substr(0, dots));
        const auto high = ParseAmount(text.substr(dots + 2));
        if (!low || !high || *low > *high)
            return std::nullopt;
        return SizeRange(*low, *high);
    }
    const std::size_t symbolLength = text.starts_with(">=") || text.starts_with("<=") ? 2 : 1;
    const std::string_view symbol = text.substr(0, symbolLength);
    const auto amount = ParseAmount(text.substr(symbol.size()));
    if (!amount)
        return std::nullopt;
    if (symbol == ">=")
        return SizeRange(*amount, Largest);
    if (symbol == "<=")
        return SizeRange(0, *amount);
    if (symbol == "=")
        return SizeRange(*amount, *amount);
    if (symbol == ">")
        return *amount == Largest ? nothing : SizeRange(*amount + 1, Largest);
    if (symbol == "<")
        return *amount == 0 ? nothing : SizeRange(0, *amount - 1);
    return std::nullopt;
}

bool SizeRange::ContainsText(std::string_view sizeLine) const {
    const auto size = ParseDecimal(sizeLine);
    return size && Contains(*size);
}

} // namespace quillory
