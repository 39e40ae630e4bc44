#include "output/CsvExport.h"

#include "common/Parallel.h"
#include "output/CsvLine.h"
#include "output/FileExport.h"

#include <algorithm>
#include <vector>

namespace quillory {

void WriteCsv(const ResultRowSource& rows, std::size_t count, ByteOutput& output) {
    // Rows become lines on every core, a batch at a time, and the lines are
    // written in order: making them costs more than writing them.
    constexpr std::size_t BatchRows = 16384;
    std::vector<std::string> chunks(CoreCount());
    for (std::size_t first = 0; first < count; first += BatchRows) {
        ForEachSlice(std::min(BatchRows, count - first),
                     [&](std::size_t slice, std::size_t begin, std::size_t end) {
                         std::string& chunk = chunks[slice];
                         chunk.clear();
                         ResultRow row;
                         for (std::size_t i = first + begin; i < first + end; ++i) {
                             rows.ReadRow(i, row);
                             AppendCsvLine(row, chunk);
                         }
                     });
        for (std::string& chunk : chunks) {
            WriteAll(output, chunk);
            chunk.clear();
        }
    }
}

void ExportCsv(const ResultRowSource& rows, std::size_t count, const std::string& path) {
    ExportToFile(path, [&](ByteOutput& output) { WriteCsv(rows, count, output); });
}

} // namespace quillory
