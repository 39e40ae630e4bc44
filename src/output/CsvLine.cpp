#include "output/CsvLine.h"

namespace quillory {

void AppendCsvLine(const ResultRow& cells, std::string& out) {
    constexpr std::size_t TimeLength = 8;
    for (std::size_t i = 0; i < 5; ++i) {
        out += cells[i];
        out += ", ";
    }
    const std::string& dateTime = cells[5];
    const std::size_t split = dateTime.size() > TimeLength ? dateTime.size() - TimeLength : 0;
    out.append(dateTime, 0, split);
    out += ',';
    out.append(dateTime, split);
    out += "\r\n";
}

} // namespace quillory
