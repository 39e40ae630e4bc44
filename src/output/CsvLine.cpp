#include "output/CsvLine.h"

namespace quillory {

void AppendCsvLine(const ResultRow& cells, std::string& line) {
    constexpr std::size_t TimeLength = 8;
    for (std::size_t i = 0; i < 5; ++i) {
        line += cells[i];
        line += ", ";
    }
    const std::string& dateTime = cells[5];
    const std::size_t split = dateTime.size() > TimeLength ? dateTime.size() - TimeLength : 0;
    line.append(dateTime, 0, split);
    line += ',';
    line.append(dateTime, split);
    line += "\r\n";
}

} // namespace quillory
