#include "common/IntegerConversion.h"

#include "common/Error.h"
#include "common/FormatMessage.h"
#include "common/Messages.h"

#include <limits>

namespace quillory {

namespace {

int DigitValue(char c, int base) {
    int value = 99;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// Parses by the shared rule into the range [minimum, maximum]. The magnitude is
// gathered as an unsigned 64-bit value and checked against the limit of its
// sign at every digit, so no input can overflow on the way.
std::optional<std::int64_t> Parse(std::string_view text, std::int64_t minimum,
                                  std::int64_t maximum) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;
    const std::uint64_t limit = negative ? static_cast<std::uint64_t>(-(minimum + 1)) + 1
                                         : static_cast<std::uint64_t>(maximum);
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            return std::nullopt;
        if (magnitude >
            (limit - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base))
            return std::nullopt;
        magnitude =
            magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    if (!negative)
        return static_cast<std::int64_t>(magnitude);
    if (magnitude == limit)
        return minimum;
    return -static_cast<std::int64_t>(magnitude);
}

[[noreturn]] void Fail(std::string_view text) {
    throw Error(FormatMessage(msg::NotValidInteger, text));
}

} // namespace

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
    const auto value = Parse(text, std::numeric_limits<std::int32_t>::min(),
                             std::numeric_limits<std::int32_t>::max());
    if (!value)
        return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

std::optional<std::int64_t> TryStrToInt64(std::string_view text) {
    return Parse(text, std::numeric_limits<std::int64_t>::min(),
                 std::numeric_limits<std::int64_t>::max());
}

std::int32_t StrToInt(std::string_view text) {
    const auto value = TryStrToInt(text);
    if (!value)
        Fail(text);
    return *value;
}

std::int64_t StrToInt64(std::string_view text) {
    const auto value = TryStrToInt64(text);
    if (!value)
        Fail(text);
    return *value;
}

} // namespace quillory
