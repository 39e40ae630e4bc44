#include "search/DayNumber.h"

#include "common/IntegerConversion.h"

#include <cmath>

namespace quillory {

double mjd(int day, int month, int year) {
    const double key = year * 10000.0 + month * 100.0 + day;
    double y = year;
    double m = month;
    if (month <= 2) {
        m += 12;
        y -= 1;
    }
    const double b = key <= 15821004.1
                         ? std::trunc((y + 4716) / 4) - 1181
                         : std::trunc(y / 400) - std::trunc(y / 100) + std::trunc(y / 4);
    return 365 * y - 679004 + b + std::trunc(30.6001 * (m + 1)) + day;
}

std::array<int, 3> ParseTriple(std::string_view text, char separator) {
    // Without its separator a piece is empty, and the conversion refuses it.
    const auto before = [](std::string_view piece, std::size_t at) {
        return at == std::string_view::npos ? std::string_view() : piece.substr(0, at);
    };
    const std::size_t first = text.find(separator);
    const std::string_view rest = first == std::string_view::npos ? text : text.substr(first + 1);
    const std::size_t second = rest.find(separator);
    const std::string_view last = second == std::string_view::npos ? rest : rest.substr(second + 1);
    // Braced initialisation converts left to right, so the first bad piece is reported.
    return {StrToInt(before(text, first)), StrToInt(before(rest, second)), StrToInt(last)};
}

double TimeValue(std::string_view date, std::string_view time) {
    const auto [day, month, year] = ParseTriple(date, '/');
    const auto [hours, minutes, seconds] = ParseTriple(time, ':');
    return mjd(day, month, year) + (hours * 3600.0 + minutes * 60.0 + seconds) / 86400.0;
}

} // namespace quillory
