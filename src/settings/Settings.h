#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quillory {

// The six printed columns, in printing order.
inline constexpr std::size_t PrintColumnCount = 6;
inline constexpr std::array<const char*, PrintColumnCount> PrintColumnNames = {
    "Name", "Directory", "Disk Name", "id#", "Size", "Date/Time"};

// The one settings record of a run, as persisted: only the setup dialog and the
// first-run rule write it. Before anything is loaded every text is empty, every
// width 0 and every flag off.
struct Settings {
    std::string InputDir;    // location the scanner reads; ends in "/" once saved
    std::string DatabaseDir; // root holding one directory per database; ends in "/"
    std::array<std::int32_t, PrintColumnCount> PrintCols{};
    std::array<bool, PrintColumnCount> PrintColsEnabled{};
};

} // namespace quillory
