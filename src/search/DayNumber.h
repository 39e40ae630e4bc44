#pragma once

#include <array>
#include <string_view>

namespace quillory {

// The modified Julian day number of a date at 00:00 (17 November 1858 is 0),
// on the Julian calendar up to 4 October 1582 and the Gregorian one from
// 15 October 1582, the next day.
double mjd(int day, int month, int year);

// Splits `text` at the first two `separator`s into three integers, each by the
// integer conversion (so leading zeros are accepted). A missing separator
// leaves a piece that fails the conversion, which raises its error.
std::array<int, 3> ParseTriple(std::string_view text, char separator);

// The time value of a catalog date ("5/3/2003") and time ("10:04:00"): the day
// number plus the time of day as a fraction of a day. Raises the conversion
// error when either does not split into three integers.
double TimeValue(std::string_view date, std::string_view time);

} // namespace quillory
