#pragma once

#include "store/CatalogRecord.h"

#include <ctime>

namespace quillory {

// An entry's modification time as its catalog shows it: local time with the
// offset in force at that moment (as a file manager shows it all year round),
// seconds rounded down to even. Years outside 1000 to 9999 are clamped to the
// first or last moment of that range, so the date keeps four digits.
LocalDateTime EntryLocalTime(std::time_t modified);

} // namespace quillory
