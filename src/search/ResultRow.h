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
    // The cells of row `index` into `row`, all empty when there is no such
    // row. The cells keep their room, so that reading many rows into one
    // allocates almost nothing. Called from several threads at once.
    virtual void ReadRow(std::size_t index, ResultRow& row) const = 0;
    // The cells of row `index` as a row of their own.
    ResultRow Row(std::size_t index) const {
        ResultRow row;
        ReadRow(index, row);
        return row;
    }
};

} // namespace quillory
