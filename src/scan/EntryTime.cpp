#include "scan/EntryTime.h"

namespace quillory {

namespace {

constexpr LocalDateTime Earliest{1, 1, 1000, 0, 0, 0};
constexpr LocalDateTime Latest{31, 12, 9999, 23, 59, 58};

} // namespace

LocalDateTime EntryLocalTime(std::time_t modified) {
    std::tm local{};
    if (!::localtime_r(&modified, &local))
        return modified < 0 ? Earliest : Latest;
    const int year = local.tm_year + 1900;
    if (year < 1000)
        return Earliest;
    if (year > 9999)
        return Latest;
    // A leap second (60) rounds down to 58, the last even second of a minute.
    const int second = local.tm_sec > 59 ? 58 : local.tm_sec & ~1;
    return {local.tm_mday, local.tm_mon + 1, year, local.tm_hour, local.tm_min, second};
}

} // namespace quillory
