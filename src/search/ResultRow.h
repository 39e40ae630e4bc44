#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace quillory {

// The six cell texts of one row of the result list, in column order: Name,
// Directory, Disk Name, id#, Size, Date/Time. The list shows them, and the CSV
// export and printing read rows through the same texts.
inline constexpr std::size_t ResultColumnCount = 6;
using ResultRow = std::array<std::string, ResultColumnCount>;

// Produces a row's cells on demand, so the list never holds every row's texts.
class ResultRowSource {
public:
    virtual ~ResultRowSource() = default;
    // The cells of row `index`; all empty when there is no such row. Called
    // from several threads at once.
    virtual ResultRow Row(std::size_t index) const = 0;
};

} // namespace quillory
