#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillory {

// The one rule for reading numbers back from text (disk numbers, date and time
// parts, sizes, print widths and flags): optional leading blanks, an optional
// "+" or "-", then digits; a "$", "x", "X", "0x" or "0X" prefix makes the
// digits hexadecimal; nothing may follow the digits, and the value must fit.
// Anything else, the empty text included, is a conversion error.

// Returns the value, or nothing when `text` is not a valid 32-bit integer.
std::optional<std::int32_t> TryStrToInt(std::string_view text);
// The same rule widened to 64 bits, for sizes of 2 GiB and more.
std::optional<std::int64_t> TryStrToInt64(std::string_view text);

// As above, raising Error("'TEXT' is not a valid integer value") on failure.
std::int32_t StrToInt(std::string_view text);
std::int64_t StrToInt64(std::string_view text);

} // namespace quillory
